// Windows-1252 to Unicode: identical to Latin-1 except for the block 128 to 159.
#include "harvest/AnsiBytes.h"

#include <array>

namespace tarnwick {

namespace {

// Code points of bytes 128 to 159; the five unassigned bytes keep their C1 value.
constexpr std::array<char16_t, 32> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString AnsiToQString(const std::string& bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ =
            byte >= 128 && byte < 160 ? QChar(kHighBlock[byte - 128]) : QChar(static_cast<char16_t>(byte));
    }
    return text;
}

} // namespace tarnwick
