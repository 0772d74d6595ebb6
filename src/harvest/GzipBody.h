// Response bodies sent with "Content-Encoding: gzip", decoded in one pass with a cap on what
// they may grow to, so a small body can never expand into an unbounded page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr std::size_t kMaxDecodedBytes = 8u * 1024 * 1024;

enum class GzipEnd {
    Whole,     // every member decoded and its checksum right
    TooLarge,  // the decoded text reached the cap; `text` holds the first `cap` bytes
    Truncated, // the data stops inside a member; `text` holds what decoded before the end
    Broken,    // not gzip, or a member is corrupt; `text` holds what decoded before the fault
};

struct GzipBody {
    GzipEnd end = GzipEnd::Whole;
    std::string text;
};

// Decodes one or more gzip members one after the other. Bytes after a whole member that do not
// start another one are ignored, as the gzip tool does with trailing padding.
GzipBody DecodeGzip(std::string_view data, std::size_t cap = kMaxDecodedBytes);

// True when a Content-Encoding value names gzip ("gzip" or "x-gzip", in any letter case).
bool IsGzipEncoding(std::string_view contentEncoding);

} // namespace tarnwick
