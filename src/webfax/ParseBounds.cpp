// How much of a page is given to the HTML parser.
#include "webfax/ParseBounds.h"

#include "text/Cp1252.h"
#include "webfax/WordParts.h"

#include <algorithm>
#include <array>
#include <string>

namespace tarnwick {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsVoidElement(std::string_view name) {
    static constexpr std::array<std::string_view, 14> kVoid = {"area",  "base",   "br",    "col",  "embed",
                                                               "hr",    "img",    "input", "link", "meta",
                                                               "param", "source", "track", "wbr"};
    return std::find(kVoid.begin(), kVoid.end(), name) != kVoid.end();
}

// Elements whose end tag may be left out: a page of unclosed paragraphs is not deep.
bool EndTagOptional(std::string_view name) {
    static constexpr std::array<std::string_view, 14> kOptional = {
        "p",      "li",       "dt",    "dd",    "tr",    "td",   "th",
        "option", "optgroup", "tbody", "thead", "tfoot", "html", "body"};
    return std::find(kOptional.begin(), kOptional.end(), name) != kOptional.end();
}

} // namespace

std::size_t ParsableLength(std::string_view html, std::size_t maxBytes, int maxDepth) {
    const std::size_t limit = std::min(html.size(), maxBytes);
    int depth = 0;
    std::size_t i = 0;
    std::size_t nextClose = 0;
    while (i < limit) {
        const std::size_t open = html.find('<', i);
        if (open == std::string_view::npos || open + 1 >= limit) {
            return limit;
        }
        std::size_t k = open + 1;
        const bool closing = html[k] == '/';
        k += closing ? 1 : 0;
        const std::size_t nameStart = k;
        while (k < limit && IsLetter(html[k])) {
            ++k;
        }
        if (k == nameStart) {
            i = open + 1;
            continue;
        }
        std::string name;
        for (std::size_t n = nameStart; n < k; ++n) {
            name += LowerAscii(html[n]);
        }
        // The next ">" is looked up again only once passed, so a page of unclosed tags stays linear.
        if (nextClose != std::string_view::npos && nextClose < k) {
            nextClose = html.find('>', k);
        }
        const std::size_t close = nextClose;
        const bool selfClosing = close != std::string_view::npos && close > k && html[close - 1] == '/';
        if (!IsVoidElement(name) && !EndTagOptional(name) && !selfClosing) {
            depth += closing ? (depth > 0 ? -1 : 0) : 1;
            if (depth > maxDepth) {
                return open;
            }
        }
        // Script and style bodies hold no tags.
        if (!closing && (name == "script" || name == "style")) {
            const std::string endTag = "</" + name;
            std::size_t end = k;
            while (end != std::string_view::npos && end < limit &&
                   !StartsWithNoCase(html.substr(end), endTag)) {
                end = html.find('<', end + 1);
            }
            i = end == std::string_view::npos ? limit : end;
            continue;
        }
        i = k;
    }
    return limit;
}

} // namespace tarnwick
