// The engine's texts are single-byte Windows-1252; the signals hand them to the windows as QString.
#pragma once

#include <QString>
#include <string>

namespace tarnwick {

QString AnsiToQString(const std::string& bytes);

} // namespace tarnwick
