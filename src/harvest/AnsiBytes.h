// The engine's texts are single-byte Windows-1252; the signals hand them to the windows as QString.
#pragma once

#include <QString>
#include <string>

namespace tarnwick {

QString AnsiToQString(const std::string& bytes);

// Host names go to the resolver and the socket as they were written; bytes above 127 map
// one to one onto Windows-1252 characters.
QString HostToQString(const std::string& host);

} // namespace tarnwick
