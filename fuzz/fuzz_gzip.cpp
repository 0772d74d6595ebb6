// The gzip decoder on arbitrary bytes: no crash, and never more text than the cap.
#include "harvest/GzipBody.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kCap = 1 << 16;
    const tarnwick::GzipBody body =
        tarnwick::DecodeGzip(std::string_view(reinterpret_cast<const char*>(data), size), kCap);
    if (body.text.size() > kCap || (body.end == tarnwick::GzipEnd::TooLarge && body.text.size() != kCap)) {
        std::abort();
    }
    return 0;
}
