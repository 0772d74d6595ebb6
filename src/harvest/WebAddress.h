// Addresses and responses of the secure-web fetcher: absolute URLs resolved as a browser
// resolves them, the parts of a response header it acts on, and chunked transfer decoding.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

struct WebUrl {
    bool https = false;
    std::string host; // as written, a ":port" included
    std::string path; // starts with "/", query included, never a fragment
};

// A queued website (host and path, optionally behind "http://" or "https://") as the URL it
// names; `https` says which scheme to try when the text carries none.
WebUrl WebsiteUrl(std::string_view website, bool https);

// "https://" or "http://" followed by host and path.
std::string UrlText(const WebUrl& url);

// `reference` resolved against `base`: "/x" from the host root, "../x" from the parent, "x" from
// the directory, "?q" on the same path, "//host/x" and "http(s)://host/x" as they stand. The
// fragment is dropped. Nothing for other schemes, an empty host or text that is only a fragment.
std::optional<WebUrl> ResolveUrl(std::string_view reference, const WebUrl& base);

// The host without a ":port", and the port a URL names (0 when it names none).
std::string HostName(const std::string& host);
std::uint16_t HostPort(const std::string& host);

struct ResponseHead {
    int status = 0;           // 0 when the status line is not "HTTP/x.y NNN"
    std::string location;     // the Location value, trimmed
    bool chunked = false;     // a Transfer-Encoding line lists the coding "chunked"
    std::int64_t length = -1; // Content-Length, -1 when absent or not a number
    std::string contentType;  // the Content-Type value, trimmed; its charset decodes the page
};

// The header text before its blank line; field names compare without letter case, lines end at
// LF with or without CR before it.
ResponseHead ParseResponseHead(std::string_view head);

// Where a response header ends: `head` is the length of the header text, `body` where the body
// starts. Servers end lines with CR LF or with a bare LF, so the blank line is either.
struct HeadEnd {
    std::size_t head = 0;
    std::size_t body = 0;
};
// Searches `data` from `from`; nothing while the blank line has not arrived.
std::optional<HeadEnd> FindHeadEnd(std::string_view data, std::size_t from = 0);
// Where the next search may start once more bytes arrived, so that no byte is searched twice.
std::size_t HeadSearchResume(std::string_view data);

bool IsRedirectStatus(int status);

// The trimmed value of the first field of the header text named `name` (letter case aside), such
// as "Content-Encoding" or "Retry-After"; empty when there is none.
std::string HeaderValue(std::string_view head, std::string_view name);

// Decodes a chunked body as it arrives. A malformed chunk ends the body where it went wrong,
// keeping what was decoded before it, and marks it failed.
class ChunkedDecoder final {
public:
    // A chunk-size line, extensions included, longer than this is not read on.
    static constexpr std::size_t kMaxSizeLine = 4096;

    // Decodes what it can of `bytes`, appending to `body` up to `cap` bytes in all; later input
    // is ignored once the body is complete, has failed or is full.
    void Feed(std::string_view bytes, std::string& body, std::size_t cap);
    // Nothing more is read: the last chunk arrived, the body is full or it failed.
    bool Ended() const { return state_ == State::Ended || state_ == State::Failed; }
    // The body broke off in a malformed chunk or an overlong chunk-size line.
    bool Failed() const { return state_ == State::Failed; }

private:
    enum class State { Size, Extension, SizeLf, Data, DataCr, DataLf, Ended, Failed };
    void SizeLineDone();
    void SizeLineByte(char c);

    State state_ = State::Size;
    std::uint64_t left_ = 0;
    int digits_ = 0;        // significant digits: leading zeros do not count
    bool sawDigit_ = false; // a zero counts as a size although it is not significant
    std::size_t lineBytes_ = 0;
};

} // namespace tarnwick
