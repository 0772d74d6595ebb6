// Page character sets.
#include "webfax/PageCharset.h"

#include "text/Cp1252.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

namespace tarnwick {

namespace {

// A declaration later than this is not looked for, as browsers do.
constexpr std::size_t kPrescanBytes = 4096;

constexpr std::array<std::string_view, 3> kUtf8Labels = {"utf-8", "utf8", "unicode-1-1-utf-8"};
constexpr std::array<std::string_view, 13> kLatinLabels = {
    "windows-1252", "iso-8859-1", "iso8859-1", "iso_8859-1", "latin1",      "l1",        "cp1252",
    "x-cp1252",     "us-ascii",   "ascii",     "cp819",      "iso-8859-15", "iso-ir-100"};

std::optional<PageCharset> CharsetOfLabel(std::string_view label) {
    const std::string lower = LowerAsciiCopy(label);
    for (const std::string_view known : kUtf8Labels) {
        if (lower == known) {
            return PageCharset::Utf8;
        }
    }
    for (const std::string_view known : kLatinLabels) {
        if (lower == known) {
            return PageCharset::Windows1252;
        }
    }
    return std::nullopt;
}

// The value after "charset" and "=" at `at` (lower-case text), up to a quote, space, ";" or ">".
std::string_view CharsetValueAt(std::string_view lower, std::size_t at) {
    std::size_t i = at + 7;
    while (i < lower.size() && (lower[i] == ' ' || lower[i] == '\t')) {
        ++i;
    }
    if (i >= lower.size() || lower[i] != '=') {
        return {};
    }
    ++i;
    while (i < lower.size() && (lower[i] == ' ' || lower[i] == '"' || lower[i] == '\'')) {
        ++i;
    }
    std::size_t end = i;
    while (end < lower.size() && std::strchr("\"' ;>/\t\r\n", lower[end]) == nullptr) {
        ++end;
    }
    return lower.substr(i, end - i);
}

std::optional<PageCharset> FromContentType(std::string_view contentType) {
    const std::string lower = LowerAsciiCopy(contentType);
    const std::size_t at = lower.find("charset");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return CharsetOfLabel(CharsetValueAt(lower, at));
}

// Every "charset=" inside a <meta ...> tag of the page's start: both <meta charset="..."> and
// <meta http-equiv="Content-Type" content="text/html; charset=...">.
std::optional<PageCharset> FromMeta(std::string_view page) {
    const std::string lower = LowerAsciiCopy(page.substr(0, kPrescanBytes));
    for (std::size_t meta = lower.find("<meta"); meta != std::string::npos;
         meta = lower.find("<meta", meta + 5)) {
        const std::size_t end = lower.find('>', meta);
        const std::string_view tag =
            std::string_view(lower).substr(meta, end == std::string::npos ? std::string::npos : end - meta);
        const std::size_t at = tag.find("charset");
        if (at == std::string_view::npos) {
            continue;
        }
        if (const auto charset = CharsetOfLabel(CharsetValueAt(tag, at))) {
            return charset;
        }
    }
    return std::nullopt;
}

std::string FromWindows1252(std::string_view page) {
    return Cp1252ToUtf8(page);
}

// Length of the valid UTF-8 sequence starting at `i`, or 0.
std::size_t SequenceAt(std::string_view bytes, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    std::size_t length = 0;
    std::uint32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (i + length > bytes.size()) {
        return 0;
    }
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (at(i + k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < lowest || code > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Plain ASCII is passed eight bytes at a time.
        if (i + 8 <= bytes.size()) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = SequenceAt(bytes, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

PageCharset DetectPageCharset(std::string_view page, std::string_view contentType) {
    if (const auto declared = FromContentType(contentType)) {
        return *declared;
    }
    if (const auto declared = FromMeta(page)) {
        return *declared;
    }
    return IsValidUtf8(page) ? PageCharset::Utf8 : PageCharset::Windows1252;
}

std::string DecodePage(std::string_view page, std::string_view contentType) {
    if (DetectPageCharset(page, contentType) == PageCharset::Utf8) {
        return std::string(page);
    }
    return FromWindows1252(page);
}

} // namespace tarnwick
