// Links of a saved page.
#include "harvest/Links.h"

#include "harvest/TextPasses.h"
#include "harvest/WebLinks.h"

#include <array>
#include <string_view>

namespace tarnwick {

namespace {

// Substrings that mark a link as not worth following, tested in this order.
constexpr std::array<std::string_view, 19> kExcludedFragments{
    "javascript", "mailto", ".mpg", ".js",  ".mpeg", ".swf", ".avi", ".jpg", ".jpeg", ".gif",
    ".bmp",       ".mov",   ".rm",  ".mp3", ".wav",  ".ra",  ".pdf", ".css", "#"};

// A link holding any of these is taken to start with its own host.
constexpr std::array<std::string_view, 6> kHostMarkers{".com", "www.", ".net", ".edu", ".gov", "ww2."};

bool ContainsAny(std::string_view text, const auto& fragments) {
    for (std::string_view fragment : fragments) {
        if (ContainsText(text, fragment, LetterCase::Ignore)) {
            return true;
        }
    }
    return false;
}

std::string CollapseSlashes(std::string_view text) {
    return ReplaceAll(text, "//", "/", LetterCase::Exact);
}

} // namespace

std::string UrlDirectory(const std::string& address) {
    std::string_view trimmed = address;
    if (!trimmed.empty() && trimmed.back() == '/') {
        trimmed.remove_suffix(1);
    }
    const std::size_t lastSlash = trimmed.rfind('/');
    if (lastSlash == std::string_view::npos) {
        return std::string(trimmed) + "/";
    }
    return std::string(trimmed.substr(0, lastSlash + 1));
}

std::string NormaliseLink(const std::string& link, const std::string& pageDirectory) {
    static const TextFinder scheme("http://", LetterCase::Ignore);
    std::string result = link;
    bool hadScheme = false;
    if (scheme.Find(result) != std::string::npos) {
        result = ReplaceAll(result, scheme, "");
        hadScheme = true;
    }
    if (result.starts_with('/')) {
        // Resolved against the page directory, not the host root.
        result = CollapseSlashes(pageDirectory + result);
    } else if (result.starts_with("..")) {
        result = pageDirectory + "..";
    } else if (!hadScheme && !ContainsAny(result, kHostMarkers)) {
        result = pageDirectory + "/" + result;
    }
    if (result.find('/') == std::string::npos) {
        result += '/';
    }
    for (int pass = 0; pass < 4; ++pass) {
        result = CollapseSlashes(result);
    }
    return result;
}

std::optional<std::string> LinkOfLine(const std::string& line) {
    static const TextFinder href("href=", LetterCase::Ignore);
    static const TextFinder hrefDoubleQuote("href=\"", LetterCase::Ignore);
    static const TextFinder hrefSingleQuote("href='", LetterCase::Ignore);

    const std::size_t start = href.Find(line);
    if (start == std::string::npos) {
        return std::nullopt;
    }
    // The opening quote goes, so the first quote or ">" left ends the link.
    std::string t = ReplaceAll(std::string_view(line).substr(start), hrefDoubleQuote, "href=");
    t = ReplaceAll(t, hrefSingleQuote, "href=");

    // t still begins with "href=", so it is at least five characters long. A closing quote that
    // is the last character takes the character before it along.
    const std::size_t end = t.find_first_of("'\">");
    const std::size_t keep = end != std::string::npos && end + 1 < t.size() ? end : t.size() - 2;
    std::string s = ReplaceAll(std::string_view(t).substr(0, keep), href, "");
    if (s.size() > kMaxLinkBytes || ContainsAny(s, kExcludedFragments)) {
        return std::nullopt;
    }
    return s;
}

std::vector<std::string> LinksOfPageFile(std::string_view pageFile, const std::string& pageDirectory) {
    static const TextFinder href("href=", LetterCase::Ignore);
    std::vector<std::string> addresses;
    for (const std::string_view line : SplitLinesAt(pageFile, "\r")) {
        if (href.Find(line) == std::string_view::npos) {
            continue;
        }
        const std::optional<std::string> link = LinkOfLine(std::string(line));
        if (!link) {
            continue;
        }
        std::string address = NormaliseLink(*link, pageDirectory);
        if (address.size() > kMaxLinkBytes) {
            continue;
        }
        addresses.push_back(std::move(address));
        if (addresses.size() == kMaxLinksPerPage) {
            break;
        }
    }
    return addresses;
}

} // namespace tarnwick
