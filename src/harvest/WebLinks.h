// Links of a page on the secure web: every href of every line, resolved as a browser resolves
// them, and the memory of the websites a run has fetched.
#pragma once

#include "harvest/WebAddress.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tarnwick {

// Lines ending at any of the characters in `breaks`, a CR followed by LF counting as one end.
// A final line without an end counts when it is not empty.
std::vector<std::string_view> SplitLinesAt(std::string_view text, std::string_view breaks);

// Lines ending at CR LF, at a lone CR or at a lone LF.
std::vector<std::string_view> SplitAllLines(std::string_view text);

// Every href value of a line in order: double-quoted, single-quoted or unquoted (an unquoted
// value ends at white space or ">"); "&amp;" stands for "&".
std::vector<std::string> HrefValuesOfLine(std::string_view line);

// The href of the page's first <base> tag, if it has one.
std::optional<std::string> BaseHrefOf(std::string_view page);

// True when the path's last segment ends in the extension of an image, media, style sheet,
// script or PDF file; the query does not count.
bool IsExcludedFileType(std::string_view path);

// What one page may add to the queue: a page is a stranger's input, and a page of nothing but
// links must not flood the queue or the memory.
constexpr std::size_t kMaxLinksPerPage = 10'000;
constexpr std::size_t kMaxLinkBytes = 8 * 1024;

// The website text (host and path with query, no scheme) a link of a page at `base` names, or
// nothing when it is never followed: other schemes, only a fragment, an excluded file type, a
// link or website longer than kMaxLinkBytes.
std::optional<std::string> LinkWebsite(std::string_view href, const WebUrl& base);

// Every website the links of a page name, in order, resolved against the page's <base> or else
// `responseUrl`, at most kMaxLinksPerPage of them. Already-fetched ones are the caller's to drop.
std::vector<std::string> PageLinkWebsites(std::string_view page, const WebUrl& responseUrl);

// The websites fetched in one run, host compared without letter case. Each costs a 64-bit
// fingerprint in a set and in the order of arrival; past `capacity` the oldest are forgotten.
class FetchedWebsites final {
public:
    static constexpr std::size_t kDefaultCapacity = 1'000'000;

    explicit FetchedWebsites(std::size_t capacity = kDefaultCapacity)
        : capacity_(capacity) {}

    void Add(std::string_view website);
    bool Contains(std::string_view website) const;
    void Clear();
    std::size_t size() const { return order_.size(); }

private:
    static std::uint64_t Fingerprint(std::string_view website);

    std::size_t capacity_;
    std::unordered_set<std::uint64_t> known_;
    std::deque<std::uint64_t> order_;
};

} // namespace tarnwick
