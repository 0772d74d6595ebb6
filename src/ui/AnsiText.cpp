// Windows-1252: Latin-1 except 128..159, where the code page has its own characters (and five holes).
#include "ui/AnsiText.h"

#include <array>

namespace tarnwick {
namespace {

// Unicode of bytes 128..159; 0 marks a byte the code page leaves undefined (kept as the C1 control).
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

std::string ToAnsi(const QString& text) {
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 128 || (u >= 160 && u < 256)) {
            out.push_back(char(u));
            continue;
        }
        char byte = '?';
        for (std::size_t i = 0; i < kHigh.size(); ++i) {
            if (kHigh[i] == u || (kHigh[i] == 0 && u == 128 + i)) {
                byte = char(128 + i);
                break;
            }
        }
        out.push_back(byte);
    }
    return out;
}

QString FromAnsi(const std::string& bytes) {
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 128 && byte < 160 && kHigh[byte - 128] != 0)
            out.append(QChar(kHigh[byte - 128]));
        else
            out.append(QChar(char16_t(byte)));
    }
    return out;
}

} // namespace tarnwick
