// Forward scans of the HTML converter: comment end and table-row look-ahead.
#include "text/HtmlScan.h"

#include <algorithm>

namespace tarnwick::htmlscan {

namespace {

constexpr std::int64_t kCompactLimit = 65;
// Scans up to this many characters are cheap to repeat and are not remembered.
constexpr std::size_t kRememberedLength = 128;

enum class TagKind { Other, RowEnd, NestedTable, Cell };

TagKind Classify(std::string_view tag) {
    if (EqualsNoCase(tag, "/TR") || EqualsNoCase(tag, "/TABLE")) {
        return TagKind::RowEnd;
    }
    if (EqualsNoCase(tag, "TABLE") || StartsWithNoCase(tag, "TABLE ")) {
        return TagKind::NestedTable;
    }
    if (EqualsNoCase(tag, "TD") || EqualsNoCase(tag, "TH") || StartsWithNoCase(tag, "TD ") ||
        StartsWithNoCase(tag, "TH ")) {
        return TagKind::Cell;
    }
    return TagKind::Other;
}

// "/TD" once its spaces are removed.
bool ClosesCell(std::string_view tag) {
    constexpr std::string_view word = "/TD";
    std::size_t matched = 0;
    for (const char c : tag) {
        if (c == ' ') {
            continue;
        }
        if (matched == word.size() || Upper(c) != word[matched]) {
            return false;
        }
        ++matched;
    }
    return matched == word.size();
}

bool BreaksCell(std::string_view tag) {
    return EqualsNoCase(tag, "P") || EqualsNoCase(tag, "BR") || StartsWithNoCase(tag, "P ") ||
           StartsWithNoCase(tag, "BR ");
}

} // namespace

std::size_t FindCommentEnd(std::string_view html, std::size_t from) {
    // Only the last two characters other than spaces decide whether a ">" closes.
    char beforeLast = '\0';
    char last = '\0';
    for (std::size_t i = from; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '>' && beforeLast == '-' && last == '-') {
            return i;
        }
        if (c != ' ') {
            beforeLast = last;
            last = c;
        }
    }
    return npos;
}

std::optional<bool> RowScanner::IsCompact(std::size_t from) {
    if (html_.size() < 2 || from >= html_.size() - 1) {
        return std::nullopt;
    }
    const std::size_t last = html_.size() - 1;
    visits_.clear();
    std::int64_t counted = 0;
    std::int64_t breaks = 0;

    // Continues from a remembered point with what its scan came to.
    const auto resume = [&](const Outcome& outcome, std::size_t at) {
        if (outcome.added >= kCompactLimit) {
            ++breaks;
        }
        return Finish(outcome.ending, counted + outcome.added, breaks, at - from);
    };
    // Reads a tag from the "<" at k up to its ">"; false when the input runs out first.
    const auto readTag = [&](std::size_t& k, std::string_view& tag) {
        const std::size_t open = k;
        do {
            if (++k >= last) {
                return false;
            }
        } while (html_[k] != '>');
        tag = html_.substr(open + 1, k - open - 1);
        return true;
    };

    TagKind kind = TagKind::Other;
    std::size_t k = from;
    std::string_view tag;
    for (;;) {
        if (html_[k] == '<') {
            const std::size_t key = k * 2;
            if (const auto outcome = Known(key)) {
                return resume(*outcome, k);
            }
            visits_.push_back({key, counted, breaks});
            if (!readTag(k, tag)) {
                return std::nullopt;
            }
            kind = Classify(tag);
        }
        if (kind == TagKind::RowEnd) {
            return Finish(Ending::RowEnd, counted, breaks, k - from);
        }
        if (kind == TagKind::NestedTable) {
            return Finish(Ending::NestedTable, counted, breaks, k - from);
        }
        if (kind == TagKind::Cell) {
            for (;;) {
                if (++k >= last) {
                    return std::nullopt;
                }
                if (html_[k] != '<') {
                    ++counted;
                    continue;
                }
                const std::size_t key = k * 2 + 1;
                if (const auto outcome = Known(key)) {
                    return resume(*outcome, k);
                }
                visits_.push_back({key, counted, breaks});
                if (!readTag(k, tag)) {
                    return std::nullopt;
                }
                if (ClosesCell(tag)) {
                    kind = TagKind::Other;
                    break;
                }
                if (BreaksCell(tag)) {
                    ++breaks;
                    break;
                }
            }
        }
        if (++k >= last) {
            return std::nullopt;
        }
    }
}

std::optional<RowScanner::Outcome> RowScanner::Known(std::size_t key) const {
    if (key >= known_.size() || known_[key] == 0) {
        return std::nullopt;
    }
    const int code = known_[key] - 1;
    if (code > kCompactLimit) {
        return Outcome{Ending::NestedTable, code - kCompactLimit - 1};
    }
    return Outcome{Ending::RowEnd, code};
}

bool RowScanner::Finish(Ending ending, std::int64_t counted, std::int64_t breaks, std::size_t length) {
    if (length > kRememberedLength) {
        if (known_.empty()) {
            known_.resize(html_.size() * 2);
        }
        for (const Visit& visit : visits_) {
            const std::int64_t added =
                breaks > visit.breaks ? kCompactLimit : std::min(kCompactLimit, counted - visit.counted);
            const std::int64_t code = 1 + added + (ending == Ending::NestedTable ? kCompactLimit + 1 : 0);
            known_[visit.key] = static_cast<std::uint8_t>(code);
        }
    }
    return ending == Ending::RowEnd && breaks == 0 && counted < kCompactLimit;
}

} // namespace tarnwick::htmlscan
