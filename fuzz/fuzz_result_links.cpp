// Result-domain extraction on arbitrary bytes: no crash, and every accepted domain keeps the
// shape the extraction promises.
#include "listbuilder/ResultLinks.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);
    std::string foundText;
    const auto domains = tarnwick::ExtractResultDomains(page, foundText);
    std::string joined;
    for (const std::string& domain : domains) {
        const std::size_t dot = domain.find('.');
        if (dot == std::string::npos || domain.find_first_of("/\"' <>", 0) != std::string::npos) {
            std::abort();
        }
        joined += domain;
    }
    if (joined != foundText) {
        std::abort();
    }
    return 0;
}
