// Fax numbers of today's pages.
#include "webfax/WebFax.h"

#include "text/Cp1252.h"
#include "webfax/PageCharset.h"
#include "webfax/PageReading.h"
#include "webfax/PhoneNumbers.h"
#include "webfax/ReadingScan.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_set>
#include <utility>

namespace tarnwick {

namespace {

bool IsLetter(char c) {
    const char lower = LowerAscii(c);
    return lower >= 'a' && lower <= 'z';
}

bool LowerMatchAt(std::string_view text, std::size_t at, std::string_view lowerWord) {
    if (at + lowerWord.size() > text.size()) {
        return false;
    }
    for (std::size_t k = 0; k < lowerWord.size(); ++k) {
        if (LowerAscii(text[at + k]) != lowerWord[k]) {
            return false;
        }
    }
    return true;
}

int HexDigit(char c) {
    c = LowerAscii(c);
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The longest character reference name that may stand right before a short label.
constexpr std::size_t kLongestReferenceName = 32;

// Bytes after a lone "f" that may read as ":" or "." or as nothing before one: markup, a
// character reference, or a UTF-8 sequence of the soft hyphen, zero-width or full-width
// characters (or a Windows-1252 soft hyphen).
bool MayEndShortLabel(char c) {
    return c == ':' || c == '.' || c == '<' || c == '&' || c == '\xC2' || c == '\xE2' || c == '\xEF' ||
           c == '\xAD';
}

// Whether a word may start at `at`: after a non-letter, or after letters that may be the name of
// a character reference ("&ampF:" reads "&F:").
bool WordMayStartAt(std::string_view page, std::size_t at) {
    std::size_t k = at;
    while (k > 0 && at - k < kLongestReferenceName && IsLetter(page[k - 1])) {
        --k;
    }
    return k == at || (k > 0 && page[k - 1] == '&');
}

bool HasLabelBytes(std::string_view page) {
    for (std::size_t i = 0; i < page.size(); ++i) {
        const char c = page[i];
        if (c == '\xF0' && LowerMatchAt(page, i, "\xF0\x9F\x93\xA0")) {
            return true; // the fax-machine sign
        }
        if (LowerAscii(c) != 'f') {
            continue;
        }
        if (LowerMatchAt(page, i, "fax") || LowerMatchAt(page, i, "facsimile")) {
            return true;
        }
        // "F:", "f.", "<b>F</b>:" and "F&colon;" may be the short label.
        if (i + 1 < page.size() && MayEndShortLabel(page[i + 1]) && WordMayStartAt(page, i)) {
            return true;
        }
    }
    return false;
}

// A numeric character reference ("&#70;", "&#x46", as the parser reads them) or a JSON escape
// ("\\u0066") at `at`: its code point, and `at` moved past it; else 0 and `at` unchanged.
std::uint32_t ReferenceAt(std::string_view page, std::size_t& at) {
    const bool json = page[at] == '\\';
    std::size_t k = at + 2;
    const bool hex = json || (k < page.size() && LowerAscii(page[k]) == 'x');
    k += hex && !json ? 1 : 0;
    const std::size_t digitsStart = k;
    std::uint32_t code = 0;
    for (; k < page.size() && (json ? k < digitsStart + 4 : true); ++k) {
        const int digit = hex ? HexDigit(page[k]) : page[k] >= '0' && page[k] <= '9' ? page[k] - '0' : -1;
        if (digit < 0) {
            break;
        }
        code = std::min<std::uint32_t>(code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
    }
    if (k == digitsStart || (json && k != digitsStart + 4)) {
        return 0;
    }
    at = k + (!json && k < page.size() && page[k] == ';' ? 1 : 0);
    return code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? 0xFFFD : code;
}

// The page with its numeric character references and JSON escapes written out as UTF-8.
std::string WithReferencesDecoded(std::string_view page) {
    std::string out;
    out.reserve(page.size());
    std::size_t i = 0;
    while (i < page.size()) {
        const bool reference = i + 1 < page.size() && ((page[i] == '&' && page[i + 1] == '#') ||
                                                       (page[i] == '\\' && page[i + 1] == 'u'));
        if (reference) {
            if (const std::uint32_t code = ReferenceAt(page, i); code != 0) {
                AppendUtf8(out, code);
                continue;
            }
        }
        out += page[i++];
    }
    return out;
}

std::optional<FoundFax> ReadWritten(std::string_view written, const std::string& region,
                                    bool allowInternational) {
    for (const std::string& reading : ReadingsOf(written)) {
        if (auto fax = ReadTelephoneNumber(reading, region, allowInternational)) {
            return fax;
        }
    }
    return std::nullopt;
}

// A value the markup states as a fax number: its first written number.
std::optional<FoundFax> ReadValue(std::string_view value, const std::string& region,
                                  bool allowInternational) {
    std::string reading;
    AppendReadingText(reading, PercentDecoded(value));
    for (std::size_t i = 0; i < reading.size(); ++i) {
        if (NumberStartsAt(reading, i)) {
            const WrittenNumber written = WrittenNumberAt(reading, i);
            return ReadWritten(std::string_view(reading).substr(written.start, written.end - written.start),
                               region, allowInternational);
        }
    }
    return std::nullopt;
}

void AddOnce(std::vector<FoundFax>& found, std::optional<FoundFax> fax) {
    if (fax && std::none_of(found.begin(), found.end(),
                            [&](const FoundFax& known) { return known.number == fax->number; })) {
        found.push_back(std::move(*fax));
    }
}

} // namespace

bool MayHoldFaxLabel(std::string_view page) {
    if (HasLabelBytes(page)) {
        return true;
    }
    const bool references =
        page.find("&#") != std::string_view::npos || page.find("\\u") != std::string_view::npos;
    return references && HasLabelBytes(WithReferencesDecoded(page));
}

std::vector<FoundFax> FindWebFaxNumbers(std::string_view page, std::string_view contentType,
                                        std::string_view host, bool allowInternational) {
    std::vector<FoundFax> found;
    if (!MayHoldFaxLabel(page)) {
        return found;
    }
    const std::string region = RegionOfHost(host);
    const PageReading reading = ReadPage(DecodePage(page, contentType));
    // A page often writes its fax number the same way in several places; each written form is
    // read once, as reading one costs more than parsing a kilobyte of the page.
    const std::vector<std::string> labelled = LabelledNumbers(reading.text);
    std::unordered_set<std::string_view> read;
    for (const std::string& written : labelled) {
        if (read.insert(written).second) {
            AddOnce(found, ReadWritten(written, region, allowInternational));
        }
    }
    read.clear();
    for (const std::string& value : reading.faxValues) {
        if (read.insert(value).second) {
            AddOnce(found, ReadValue(value, region, allowInternational));
        }
    }
    return found;
}

} // namespace tarnwick
