// Exact and ASCII-case-blind search and single-pass replacement on byte strings.
#include "harvest/TextPasses.h"

namespace tarnwick {

namespace {

// Up to this length a direct comparison at each position is cheaper than the table and
// still linear, the pattern length being bounded.
constexpr std::size_t kDirectSearchLimit = 16;

} // namespace

TextFinder::TextFinder(std::string_view pattern, LetterCase letterCase)
    : pattern_(pattern)
    , ignoreCase_(letterCase == LetterCase::Ignore) {
    if (ignoreCase_) {
        for (char& c : pattern_) {
            c = FoldAscii(c);
        }
    }
    if (pattern_.size() <= kDirectSearchLimit) {
        return;
    }
    failure_.assign(pattern_.size(), 0);
    std::size_t k = 0;
    for (std::size_t i = 1; i < pattern_.size(); ++i) {
        while (k > 0 && pattern_[i] != pattern_[k]) {
            k = failure_[k - 1];
        }
        if (pattern_[i] == pattern_[k]) {
            ++k;
        }
        failure_[i] = k;
    }
}

std::size_t TextFinder::Find(std::string_view text, std::size_t from) const {
    const std::size_t m = pattern_.size();
    if (m == 0 || from >= text.size() || text.size() - from < m) {
        return std::string_view::npos;
    }
    if (failure_.empty()) {
        const std::size_t last = text.size() - m;
        for (std::size_t i = from; i <= last; ++i) {
            if (!Same(text[i], pattern_[0])) {
                continue;
            }
            std::size_t j = 1;
            while (j < m && Same(text[i + j], pattern_[j])) {
                ++j;
            }
            if (j == m) {
                return i;
            }
        }
        return std::string_view::npos;
    }
    std::size_t k = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        while (k > 0 && !Same(text[i], pattern_[k])) {
            k = failure_[k - 1];
        }
        if (Same(text[i], pattern_[k])) {
            ++k;
        }
        if (k == m) {
            return i + 1 - m;
        }
    }
    return std::string_view::npos;
}

bool ContainsText(std::string_view text, std::string_view pattern, LetterCase letterCase) {
    return TextFinder(pattern, letterCase).Find(text) != std::string_view::npos;
}

bool StartsWithText(std::string_view text, std::string_view prefix, LetterCase letterCase) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const bool same = letterCase == LetterCase::Ignore ? FoldAscii(text[i]) == FoldAscii(prefix[i])
                                                           : text[i] == prefix[i];
        if (!same) {
            return false;
        }
    }
    return true;
}

std::string ReplaceAll(std::string_view text, const TextFinder& find, std::string_view with) {
    std::size_t hit = find.Find(text);
    if (hit == std::string_view::npos) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    std::size_t done = 0;
    while (hit != std::string_view::npos) {
        result.append(text, done, hit - done);
        result.append(with);
        done = hit + find.size();
        hit = find.Find(text, done);
    }
    result.append(text, done);
    return result;
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view with,
                       LetterCase letterCase) {
    return ReplaceAll(text, TextFinder(find, letterCase), with);
}

void AppendPercentEscaped(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace tarnwick
