// Links of a page on the secure web.
#include "harvest/WebLinks.h"

#include "harvest/TextPasses.h"

#include <algorithm>
#include <array>

namespace tarnwick {

namespace {

// Extensions of files that are never pages worth scanning, in lower case.
constexpr std::array<std::string_view, 27> kExcludedExtensions{
    "mpg", "mpeg", "js",  "mjs", "swf", "avi", "jpg",  "jpeg", "gif", "bmp", "png", "svg", "ico", "webp",
    "tif", "tiff", "mov", "rm",  "mp3", "mp4", "webm", "wav",  "ra",  "ogg", "pdf", "css", "m4a"};

bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == ':';
}

std::string DecodeAmpersands(std::string_view value) {
    return ReplaceAll(value, "&amp;", "&", LetterCase::Ignore);
}

// The attribute value starting at `at` (just after "="), and where it ends.
std::string_view ValueAt(std::string_view text, std::size_t& at) {
    while (at < text.size() && IsWhite(text[at])) {
        ++at;
    }
    if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
        const char quote = text[at];
        const std::size_t start = at + 1;
        const std::size_t end = std::min(text.find(quote, start), text.size());
        at = std::min(end + 1, text.size());
        return text.substr(start, end - start);
    }
    const std::size_t start = at;
    while (at < text.size() && !IsWhite(text[at]) && text[at] != '>') {
        ++at;
    }
    return text.substr(start, at - start);
}

// Every href value in `text`, which may be a line or a single tag.
std::vector<std::string> HrefValues(std::string_view text, bool firstOnly) {
    static const TextFinder href("href", LetterCase::Ignore);
    std::vector<std::string> values;
    std::size_t from = 0;
    for (std::size_t at = href.Find(text); at != std::string_view::npos; at = href.Find(text, from)) {
        from = at + href.size();
        if (at > 0 && IsNameChar(text[at - 1])) {
            continue; // part of another attribute's name, such as "data-href"
        }
        std::size_t equals = from;
        while (equals < text.size() && IsWhite(text[equals])) {
            ++equals;
        }
        if (equals >= text.size() || text[equals] != '=') {
            continue;
        }
        std::size_t valueAt = equals + 1;
        values.push_back(DecodeAmpersands(ValueAt(text, valueAt)));
        from = std::max(from, valueAt);
        if (firstOnly) {
            break;
        }
    }
    return values;
}

} // namespace

std::vector<std::string_view> SplitLinesAt(std::string_view text, std::string_view breaks) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        // One break character: the plain search, which is much faster than a set search.
        const std::size_t end =
            breaks.size() == 1 ? text.find(breaks.front(), start) : text.find_first_of(breaks, start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

std::vector<std::string_view> SplitAllLines(std::string_view text) {
    return SplitLinesAt(text, "\r\n");
}

std::vector<std::string> HrefValuesOfLine(std::string_view line) {
    return HrefValues(line, false);
}

std::optional<std::string> BaseHrefOf(std::string_view page) {
    static const TextFinder base("<base", LetterCase::Ignore);
    std::size_t from = 0;
    for (std::size_t at = base.Find(page); at != std::string_view::npos; at = base.Find(page, from)) {
        const std::size_t after = at + base.size();
        from = after;
        if (after < page.size() && !IsWhite(page[after])) {
            continue;
        }
        // The search goes on after this tag's ">", so no byte of the page is read twice.
        const std::size_t close = std::min(page.find('>', after), page.size());
        std::vector<std::string> values = HrefValues(page.substr(after, close - after), true);
        if (!values.empty()) {
            return std::move(values.front());
        }
        from = close;
    }
    return std::nullopt;
}

bool IsExcludedFileType(std::string_view path) {
    path = path.substr(0, std::min(path.find('?'), path.size()));
    const std::size_t slash = path.rfind('/');
    const std::string_view segment = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = segment.rfind('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    std::string extension(segment.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(), FoldAscii);
    return std::find(kExcludedExtensions.begin(), kExcludedExtensions.end(), extension) !=
           kExcludedExtensions.end();
}

std::optional<std::string> LinkWebsite(std::string_view href, const WebUrl& base) {
    if (href.size() > kMaxLinkBytes) {
        return std::nullopt;
    }
    const std::optional<WebUrl> url = ResolveUrl(href, base);
    if (!url || IsExcludedFileType(url->path) || url->host.size() + url->path.size() > kMaxLinkBytes) {
        return std::nullopt;
    }
    return url->host + url->path;
}

std::vector<std::string> PageLinkWebsites(std::string_view page, const WebUrl& responseUrl) {
    WebUrl base = responseUrl;
    if (const std::optional<std::string> baseHref = BaseHrefOf(page)) {
        if (std::optional<WebUrl> declared = ResolveUrl(*baseHref, responseUrl)) {
            base = std::move(*declared);
        }
    }
    std::vector<std::string> websites;
    for (const std::string_view line : SplitAllLines(page)) {
        for (const std::string& href : HrefValuesOfLine(line)) {
            if (std::optional<std::string> website = LinkWebsite(href, base)) {
                websites.push_back(std::move(*website));
                if (websites.size() == kMaxLinksPerPage) {
                    return websites;
                }
            }
        }
    }
    return websites;
}

void FetchedWebsites::Add(std::string_view website) {
    if (capacity_ == 0) {
        return;
    }
    const std::uint64_t print = Fingerprint(website);
    if (!known_.insert(print).second) {
        return;
    }
    order_.push_back(print);
    if (order_.size() > capacity_) {
        known_.erase(order_.front());
        order_.pop_front();
    }
}

bool FetchedWebsites::Contains(std::string_view website) const {
    return known_.contains(Fingerprint(website));
}

void FetchedWebsites::Clear() {
    std::unordered_set<std::uint64_t>().swap(known_);
    std::deque<std::uint64_t>().swap(order_);
}

// FNV-1a over the host in lower case and the path ("/" when there is none), so that "Host.com"
// and "host.com/" are one website while paths keep their case.
std::uint64_t FetchedWebsites::Fingerprint(std::string_view website) {
    const WebUrl url = WebsiteUrl(website, true);
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](char c) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    };
    for (const char c : url.host) {
        mix(FoldAscii(c));
    }
    for (const char c : url.path) {
        mix(c);
    }
    return hash;
}

} // namespace tarnwick
