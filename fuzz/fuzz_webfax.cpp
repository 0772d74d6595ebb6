// Today's-web fax reader on arbitrary bytes, under a few character sets and hosts: no crash,
// every number once and in one of the two stored shapes, international ones only when allowed.
#include "webfax/WebFax.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::array<std::string_view, 4> kContentTypes = {"", "text/html; charset=utf-8",
                                                           "text/html; charset=windows-1252", "text/html"};
constexpr std::array<std::string_view, 4> kHosts = {"www.example.com", "example.co.uk", "shop.example.de",
                                                    "example.io"};

void Check(const std::vector<tarnwick::FoundFax>& found, bool allowInternational) {
    std::set<std::string> seen;
    for (const auto& fax : found) {
        if (!seen.insert(fax.number).second) {
            std::abort();
        }
        std::string shape = fax.number;
        const bool northAmerican =
            fax.number.size() == 14 && fax.number.starts_with("1-") && tarnwick::IsNorthAmericanNumber(shape);
        const bool international = fax.number.starts_with("+") && fax.location == "Unknown/International";
        if (!northAmerican && !(international && allowInternational)) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view contentType = kContentTypes[data[0] % kContentTypes.size()];
    const std::string_view host = kHosts[(data[0] / kContentTypes.size()) % kHosts.size()];
    const std::string page(reinterpret_cast<const char*>(data) + 1, size - 1);
    Check(tarnwick::FindWebFaxNumbers(page, contentType, host, false), false);
    Check(tarnwick::FindWebFaxNumbers(page, contentType, host, true), true);
    return 0;
}
