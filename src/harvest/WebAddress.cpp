// Addresses and responses of the secure-web fetcher.
#include "harvest/WebAddress.h"

#include "harvest/TextPasses.h"
#include "text/Cp1252.h"

#include <algorithm>
#include <vector>

namespace tarnwick {

namespace {

constexpr std::string_view kHttps = "https://";
constexpr std::string_view kHttp = "http://";

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' ||
                             text.front() == '\n' || text.front() == '\f')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n' || text.back() == '\f')) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsSchemeChar(char c, bool first) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

// The scheme of an absolute reference in lower case, or empty for a relative one.
std::string SchemeOf(std::string_view reference) {
    const std::size_t colon = reference.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return {};
    }
    for (std::size_t i = 0; i < colon; ++i) {
        if (!IsSchemeChar(reference[i], i == 0)) {
            return {};
        }
    }
    std::string scheme(reference.substr(0, colon));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), FoldAscii);
    return scheme;
}

// Removes "." and ".." segments; ".." never climbs above the root.
std::string RemoveDotSegments(std::string_view path) {
    std::vector<std::string_view> segments;
    std::size_t start = 1;
    bool endsInDirectory = false;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view segment = path.substr(start, slash - start);
        const bool last = slash == path.size();
        if (segment == ".") {
            endsInDirectory = last;
        } else if (segment == "..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
            endsInDirectory = last;
        } else {
            segments.push_back(segment);
            endsInDirectory = false;
        }
        start = slash + 1;
    }
    std::string out;
    for (const std::string_view segment : segments) {
        out += '/';
        out += segment;
    }
    if (out.empty() || endsInDirectory) {
        out += '/';
    }
    return out;
}

// Splits "host/path?query" into the URL's host and path.
WebUrl FromAuthorityAndPath(std::string_view rest, bool https) {
    const std::size_t end = std::min(rest.find_first_of("/?"), rest.size());
    WebUrl url;
    url.https = https;
    std::string_view authority = rest.substr(0, end);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1); // credentials are never sent
    }
    url.host = std::string(authority);
    const std::string_view path = rest.substr(end);
    url.path = path.empty() || path.front() == '?' ? "/" + std::string(path) : std::string(path);
    return url;
}

// Spaces and control characters cannot stand in a request line; browsers escape them.
std::string EscapeForRequest(std::string_view text) {
    return PercentEscaped(text, [](unsigned char byte) { return byte <= 0x20 || byte == 0x7F; });
}

// A Transfer-Encoding value is a comma-separated list of codings; "notchunked" is not one of them.
bool ListsChunked(std::string_view value) {
    std::size_t start = 0;
    while (start <= value.size()) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        const std::string_view coding = Trimmed(value.substr(start, comma - start));
        if (coding.size() == 7 && StartsWithText(coding, "chunked", LetterCase::Ignore)) {
            return true;
        }
        start = comma + 1;
    }
    return false;
}

std::string RemoveWhiteSpaceBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != '\t' && c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

} // namespace

WebUrl WebsiteUrl(std::string_view website, bool https) {
    website = Trimmed(website);
    if (StartsWithText(website, kHttps, LetterCase::Ignore)) {
        return FromAuthorityAndPath(website.substr(kHttps.size()), true);
    }
    if (StartsWithText(website, kHttp, LetterCase::Ignore)) {
        return FromAuthorityAndPath(website.substr(kHttp.size()), false);
    }
    return FromAuthorityAndPath(website, https);
}

std::string UrlText(const WebUrl& url) {
    return std::string(url.https ? kHttps : kHttp) + url.host + url.path;
}

std::optional<WebUrl> ResolveUrl(std::string_view reference, const WebUrl& base) {
    // Browsers drop tabs and line breaks inside a URL and trim the spaces around it.
    const std::string cleaned = RemoveWhiteSpaceBreaks(Trimmed(reference));
    std::string_view ref = cleaned;
    if (ref.empty() || ref.front() == '#') {
        return std::nullopt;
    }
    ref = ref.substr(0, std::min(ref.find('#'), ref.size()));
    const std::string scheme = SchemeOf(ref);
    WebUrl url;
    if (!scheme.empty()) {
        if (scheme != "http" && scheme != "https") {
            return std::nullopt;
        }
        std::string_view rest = ref.substr(scheme.size() + 1);
        while (!rest.empty() && (rest.front() == '/' || rest.front() == '\\')) {
            rest.remove_prefix(1);
        }
        url = FromAuthorityAndPath(rest, scheme == "https");
    } else if (ref.starts_with("//")) {
        url = FromAuthorityAndPath(ref.substr(2), base.https);
    } else {
        url.https = base.https;
        url.host = base.host;
        if (ref.front() == '/') {
            url.path = std::string(ref);
        } else if (ref.front() == '?') {
            url.path =
                base.path.substr(0, std::min(base.path.find('?'), base.path.size())) + std::string(ref);
        } else {
            const std::string basePath = base.path.substr(0, std::min(base.path.find('?'), base.path.size()));
            url.path = basePath.substr(0, basePath.rfind('/') + 1) + std::string(ref);
        }
    }
    if (url.host.empty()) {
        return std::nullopt;
    }
    const std::size_t query = std::min(url.path.find('?'), url.path.size());
    url.path = EscapeForRequest(RemoveDotSegments(url.path.substr(0, query)) + url.path.substr(query));
    url.host = EscapeForRequest(url.host);
    return url;
}

std::string HostName(const std::string& host) {
    const std::size_t colon = host.rfind(':');
    if (colon == std::string::npos || host.find(']', colon) != std::string::npos) {
        return host;
    }
    return host.substr(0, colon);
}

std::uint16_t HostPort(const std::string& host) {
    const std::string name = HostName(host);
    if (name.size() + 1 >= host.size()) {
        return 0;
    }
    unsigned value = 0;
    for (std::size_t i = name.size() + 1; i < host.size(); ++i) {
        const char c = host[i];
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 65535) {
            return 0;
        }
    }
    return static_cast<std::uint16_t>(value);
}

ResponseHead ParseResponseHead(std::string_view head) {
    ResponseHead result;
    std::size_t start = 0;
    bool statusLine = true;
    while (start <= head.size()) {
        const std::size_t end = std::min(head.find('\n', start), head.size());
        std::string_view line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        start = end + 1;
        if (statusLine) {
            statusLine = false;
            const std::size_t space = line.find(' ');
            if (line.starts_with("HTTP/") && space != std::string_view::npos && space + 4 <= line.size()) {
                const std::string_view code = line.substr(space + 1, 3);
                if (std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                    result.status = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
                }
            }
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view name = Trimmed(line.substr(0, colon));
        const std::string_view value = Trimmed(line.substr(colon + 1));
        if (name.size() == 8 && StartsWithText(name, "location", LetterCase::Ignore)) {
            result.location = std::string(value);
        } else if (name.size() == 17 && StartsWithText(name, "transfer-encoding", LetterCase::Ignore)) {
            result.chunked = result.chunked || ListsChunked(value);
        } else if (name.size() == 14 && StartsWithText(name, "content-length", LetterCase::Ignore)) {
            const bool digits =
                !value.empty() && value.size() <= 18 &&
                std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            result.length = digits ? std::stoll(std::string(value)) : -1;
        } else if (name.size() == 12 && StartsWithText(name, "content-type", LetterCase::Ignore)) {
            result.contentType = std::string(value);
        }
    }
    return result;
}

std::optional<HeadEnd> FindHeadEnd(std::string_view data, std::size_t from) {
    for (std::size_t at = data.find('\n', from); at != std::string_view::npos; at = data.find('\n', at + 1)) {
        if (at + 1 < data.size() && data[at + 1] == '\n') {
            return HeadEnd{at + 1, at + 2};
        }
        if (at + 2 < data.size() && data[at + 1] == '\r' && data[at + 2] == '\n') {
            return HeadEnd{at + 1, at + 3};
        }
    }
    return std::nullopt;
}

std::size_t HeadSearchResume(std::string_view data) {
    // A blank line is at most three bytes long and starts at an LF.
    return data.size() >= 2 ? data.size() - 2 : 0;
}

bool IsRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string HeaderValue(std::string_view head, std::string_view name) {
    std::size_t start = head.find('\n'); // the status line is no field
    while (start != std::string_view::npos && start < head.size()) {
        ++start;
        const std::size_t end = std::min(head.find('\n', start), head.size());
        const std::string_view line = head.substr(start, end - start);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos) {
            const std::string_view field = Trimmed(line.substr(0, colon));
            if (field.size() == name.size() && StartsWithText(field, name, LetterCase::Ignore)) {
                return std::string(Trimmed(line.substr(colon + 1)));
            }
        }
        start = end;
    }
    return {};
}

void ChunkedDecoder::SizeLineDone() {
    state_ = left_ == 0 ? State::Ended : State::Data;
    lineBytes_ = 0;
}

void ChunkedDecoder::SizeLineByte(char c) {
    const int digit = HexDigitValue(c);
    if (digit >= 0) {
        if (digits_ > 0 || digit > 0) {
            if (digits_ == 15) {
                state_ = State::Failed; // beyond any body the cap lets in
                return;
            }
            ++digits_;
        }
        left_ = left_ * 16 + static_cast<std::uint64_t>(digit);
        sawDigit_ = true;
    } else if (sawDigit_ && (c == ';' || c == ' ' || c == '\t')) {
        state_ = State::Extension;
    } else if (sawDigit_ && c == '\r') {
        state_ = State::SizeLf;
    } else if (sawDigit_ && c == '\n') {
        SizeLineDone();
    } else {
        state_ = State::Failed;
    }
}

void ChunkedDecoder::Feed(std::string_view bytes, std::string& body, std::size_t cap) {
    std::size_t at = 0;
    while (at < bytes.size() && !Ended()) {
        const char c = bytes[at];
        if ((state_ == State::Size || state_ == State::Extension) && ++lineBytes_ > kMaxSizeLine) {
            state_ = State::Failed;
            break;
        }
        switch (state_) {
        case State::Size:
            SizeLineByte(c);
            ++at;
            break;
        case State::Extension:
            if (c == '\r') {
                state_ = State::SizeLf;
            } else if (c == '\n') {
                SizeLineDone();
            }
            ++at;
            break;
        case State::SizeLf:
            if (c == '\n') {
                SizeLineDone();
            } else {
                state_ = State::Failed;
            }
            ++at;
            break;
        case State::Data: {
            const std::size_t room = cap > body.size() ? cap - body.size() : 0;
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>({left_, bytes.size() - at, static_cast<std::uint64_t>(room)}));
            body.append(bytes.substr(at, n));
            at += n;
            left_ -= n;
            if (body.size() >= cap) {
                state_ = State::Ended;
            } else if (left_ == 0) {
                state_ = State::DataCr;
            }
            break;
        }
        case State::DataCr:
        case State::DataLf:
            if (c == '\r' && state_ == State::DataCr) {
                state_ = State::DataLf;
            } else if (c == '\n') {
                state_ = State::Size;
                digits_ = 0;
                sawDigit_ = false;
            } else {
                state_ = State::Failed;
            }
            ++at;
            break;
        case State::Ended:
        case State::Failed:
            break;
        }
    }
}

} // namespace tarnwick
