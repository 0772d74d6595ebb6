// Windows-1252: Latin-1 except 128..159, where the code page has its own characters (and five holes).
#include "ui/AnsiText.h"

#include "harvest/AnsiBytes.h"
#include "text/Cp1252.h"

namespace tarnwick {

std::string ToAnsi(const QString& text) {
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (const QChar c : text) {
        out.push_back(UnicodeToCp1252(c.unicode()));
    }
    return out;
}

QString FromAnsi(const std::string& bytes) {
    return AnsiToQString(bytes);
}

} // namespace tarnwick
