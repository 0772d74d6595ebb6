// The windows show Unicode; the program's data is single-byte Windows-1252 text.
#pragma once

#include <QString>
#include <string>

namespace tarnwick {

std::string ToAnsi(const QString& text); // characters outside the code page become "?"
QString FromAnsi(const std::string& bytes);

} // namespace tarnwick
