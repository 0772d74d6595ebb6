// Host checks and request escaping on arbitrary bytes: no crash, a host accepted as valid holds
// nothing that could break a request line, and an escaped path holds no byte that could.
#include "harvest/Address.h"
#include "harvest/HostCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool Unsafe(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte >= 0x7F;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (tarnwick::IsValidHostText(text)) {
        for (const char c : text) {
            if (Unsafe(c) || c == '/' || c == '@' || c == '?' || c == '#') {
                std::abort();
            }
        }
    }
    if (const auto v4 = tarnwick::ParseIpv4Literal(text); v4 && !tarnwick::IsValidHostName(text)) {
        std::abort(); // every literal the resolver reads is also a valid host
    }
    const std::string path = tarnwick::EscapeRequestPath(text);
    for (const char c : path) {
        if (Unsafe(c)) {
            std::abort();
        }
    }
    return 0;
}
