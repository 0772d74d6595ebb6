// Fax numbers of today's pages.
#include "webfax/WebFax.h"

#include "text/Cp1252.h"
#include "webfax/LabelPrescan.h"
#include "webfax/PageCharset.h"
#include "webfax/PageReading.h"
#include "webfax/PhoneNumbers.h"
#include "webfax/ReadingScan.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <utility>

namespace tarnwick {

namespace {

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
