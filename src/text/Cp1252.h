// Windows-1252, the program's single-byte text: Latin-1 except for the block 128 to 159.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

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
    if (codePoint < 128 || (codePoint >= 160 && codePoint < 256)) {
        return static_cast<char>(codePoint);
    }
    for (std::size_t i = 0; i < kCp1252HighBlock.size(); ++i) {
        if (kCp1252HighBlock[i] == codePoint) {
            return static_cast<char>(128 + i);
        }
    }
    return '?';
}

constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The value of a hexadecimal digit in either case; -1 for any other character.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = LowerAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

inline std::string LowerAsciiCopy(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = LowerAscii(c);
    }
    return out;
}

inline void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The program's text as UTF-8, for what leaves it in that form (exports, queries, parsers).
inline std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char byte : bytes) {
        AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(byte)));
    }
    return out;
}

} // namespace tarnwick
