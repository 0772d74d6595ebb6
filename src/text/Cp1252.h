// Windows-1252, the program's single-byte text: Latin-1 except for the block 128 to 159.
#pragma once

#include <array>
#include <cstddef>

namespace tarnwick {

// Code points of bytes 128 to 159; the five bytes the code page leaves unassigned keep their C1 value.
inline constexpr std::array<char16_t, 32> kCp1252HighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t Cp1252ToUnicode(unsigned char byte) {
    return byte >= 128 && byte < 160 ? kCp1252HighBlock[byte - 128] : char16_t(byte);
}

// The byte that stands for a code point, or '?' where the code page has none.
constexpr char UnicodeToCp1252(char32_t codePoint) {
    if (codePoint < 128 || (codePoint >= 160 && codePoint < 256))
        return static_cast<char>(codePoint);
    for (std::size_t i = 0; i < kCp1252HighBlock.size(); ++i) {
        if (kCp1252HighBlock[i] == codePoint)
            return static_cast<char>(128 + i);
    }
    return '?';
}

} // namespace tarnwick
