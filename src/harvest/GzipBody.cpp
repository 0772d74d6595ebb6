// Gzip decoding behind zlib; nothing of zlib leaves this file.
#include "harvest/GzipBody.h"

#include "harvest/TextPasses.h"

#include <algorithm>
#include <array>
#include <climits>
#include <zlib.h>

namespace tarnwick {

namespace {

constexpr int kGzipOnly = 16 + MAX_WBITS;

bool StartsMember(const z_stream& stream) {
    return stream.avail_in >= 2 && stream.next_in[0] == 0x1F && stream.next_in[1] == 0x8B;
}

// Inflates until the data ends, the cap is reached or a fault; `stream` is initialised.
GzipEnd Inflate(z_stream& stream, std::string& text, std::size_t cap) {
    std::array<unsigned char, 64 * 1024> buffer{};
    for (;;) {
        stream.next_out = buffer.data();
        stream.avail_out = static_cast<uInt>(buffer.size());
        const int status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = buffer.size() - stream.avail_out;
        const std::size_t room = cap - text.size();
        text.append(reinterpret_cast<const char*>(buffer.data()), std::min(produced, room));
        if (produced > room) {
            return GzipEnd::TooLarge;
        }
        if (status == Z_STREAM_END) {
            if (!StartsMember(stream)) {
                return GzipEnd::Whole;
            }
            inflateReset(&stream);
        } else if (status == Z_BUF_ERROR ||
                   (status == Z_OK && stream.avail_in == 0 && stream.avail_out > 0)) {
            // No progress is possible without more data: the stream stops inside a member.
            return stream.avail_in == 0 ? GzipEnd::Truncated : GzipEnd::Broken;
        } else if (status != Z_OK) {
            return GzipEnd::Broken;
        }
    }
}

} // namespace

GzipBody DecodeGzip(std::string_view data, std::size_t cap) {
    GzipBody body;
    if (data.empty()) {
        body.end = GzipEnd::Truncated;
        return body;
    }
    z_stream stream{};
    if (inflateInit2(&stream, kGzipOnly) != Z_OK) {
        body.end = GzipEnd::Broken;
        return body;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size(), UINT_MAX));
    body.end = Inflate(stream, body.text, cap);
    inflateEnd(&stream);
    return body;
}

bool IsGzipEncoding(std::string_view contentEncoding) {
    const std::string_view value = TrimBlanks(contentEncoding);
    const auto same = [value](std::string_view name) {
        return value.size() == name.size() && StartsWithText(value, name, LetterCase::Ignore);
    };
    return same("gzip") || same("x-gzip");
}

} // namespace tarnwick
