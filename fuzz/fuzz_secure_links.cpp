// Link unwrapping and registrable domains on arbitrary bytes: no crash, and a result domain is
// always a lower-case registrable domain the engine does not own.
#include "listbuilder/PublicSuffix.h"
#include "listbuilder/SearchEngines.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnwick;
    if (size == 0) {
        return 0;
    }
    const auto engine = static_cast<SearchEngine>(data[0] % 4);
    const std::string link(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string domain = ResultDomain(engine, link);
    if (!domain.empty()) {
        if (IsEngineOwned(engine, domain) || RegistrableDomain(domain) != domain ||
            domain.find_first_of("/?#@ ") != std::string::npos) {
            std::abort();
        }
        for (const char c : domain) {
            if (c >= 'A' && c <= 'Z') {
                std::abort();
            }
        }
    }
    (void)DecodeBase64Url(link);
    (void)PercentDecode(link);
    (void)LinkHost(link);
    return 0;
}
