// Reading form of text.
#include "webfax/ReadingText.h"

#include <cstdint>

namespace tarnwick {

namespace {

constexpr std::uint32_t kFaxMachine = 0x1F4E0;

std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (i + length > text.size()) {
        length = 1;
    }
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            i += 1;
            return 0xFFFD;
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    i += length;
    return length == 1 && lead >= 0x80 ? 0xFFFD : code;
}

// What one code point above ASCII reads as; 0 for nothing at all.
char ReadingOf(std::uint32_t code) {
    if (code >= 0xFF10 && code <= 0xFF19) {
        return static_cast<char>('0' + (code - 0xFF10));
    }
    switch (code) {
    case 0x00A0:
    case 0x202F:
    case 0x3000:
    case 0x205F:
    case 0x1680:
        return ' ';
    case 0x00AD:
    case 0x200B:
    case 0x200C:
    case 0x200D:
    case 0x2060:
    case 0xFEFF:
        return 0;
    case 0x2212:
    case 0xFE58:
    case 0xFE63:
    case 0xFF0D:
        return '-';
    case 0xFF0B:
        return '+';
    case 0xFF08:
        return '(';
    case 0xFF09:
        return ')';
    case 0xFF0E:
        return '.';
    case 0xFF1A:
        return ':';
    case 0x260E:
    case 0x260F:
    case 0x1F4DE:
    case 0x1F4F1: // telephones
        return kPhoneMark;
    default:
        break;
    }
    if (code >= 0x2000 && code <= 0x200A) {
        return ' ';
    }
    if (code >= 0x2010 && code <= 0x2015) {
        return '-';
    }
    const bool punctuation = (code >= 0xA1 && code <= 0xBF) || code == 0xD7 || code == 0xF7 ||
                             (code >= 0x2016 && code <= 0x206F) || (code >= 0x2190 && code <= 0x2BFF) ||
                             (code >= 0x3001 && code <= 0x3003) || (code >= 0xE000 && code <= 0xF8FF) ||
                             (code >= 0xFF01 && code <= 0xFF0F) || (code >= 0xFF1A && code <= 0xFF20) ||
                             code >= 0x1F000;
    return punctuation ? '|' : 'a';
}

} // namespace

void AppendReadingText(std::string& out, std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += byte < 0x20 || byte == 0x7F ? ' ' : static_cast<char>(byte);
            ++i;
            continue;
        }
        const std::uint32_t code = NextCodePoint(utf8, i);
        if (code == kFaxMachine) {
            out += " fax ";
        } else if (const char reading = ReadingOf(code); reading != 0) {
            out += reading;
        }
    }
}

} // namespace tarnwick
