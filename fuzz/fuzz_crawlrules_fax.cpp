// The fax-number search on arbitrary bytes, as a page and as converted text: no crash, every
// number has one of the two stored shapes, and the option only filters the international ones.
#include "harvest/FaxNumbers.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void CheckBothSettings(const std::vector<tarnwick::FoundFax>& national,
                       const std::vector<tarnwick::FoundFax>& international) {
    std::size_t next = 0;
    for (const auto& fax : international) {
        std::string shape = fax.number;
        const bool northAmerican = fax.number.starts_with("1-") && tarnwick::IsNorthAmericanNumber(shape);
        // A "+" may sit inside a North-American shape; every other number holds one.
        if (!northAmerican &&
            (fax.number.find('+') == std::string::npos || fax.location != "Unknown/International")) {
            std::abort();
        }
        if (northAmerican) {
            if (next >= national.size() || national[next].number != fax.number ||
                national[next].location != fax.location) {
                std::abort();
            }
            ++next;
        }
    }
    if (next != national.size()) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckBothSettings(tarnwick::FindFaxNumbersInPage(input, false),
                      tarnwick::FindFaxNumbersInPage(input, true));
    CheckBothSettings(tarnwick::ScanFaxNumbers(input, false), tarnwick::ScanFaxNumbers(input, true));
    return 0;
}
