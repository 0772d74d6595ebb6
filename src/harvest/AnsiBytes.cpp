// Windows-1252 to Unicode: identical to Latin-1 except for the block 128 to 159.
#include "harvest/AnsiBytes.h"

#include "text/Cp1252.h"

namespace tarnwick {

QString AnsiToQString(const std::string& bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(Cp1252ToUnicode(byte));
    }
    return text;
}

} // namespace tarnwick
