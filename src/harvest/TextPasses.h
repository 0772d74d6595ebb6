// Exact and ASCII-case-blind search and single-pass replacement on byte strings, linear in
// the text whatever the pattern, for the crawl rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class LetterCase { Exact, Ignore };

constexpr char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// A pattern prepared once for repeated searches. Long patterns use a failure table so that a
// search never costs more than the text it passes over plus the pattern.
class TextFinder final {
public:
    TextFinder(std::string_view pattern, LetterCase letterCase);

    // Position of the first occurrence at or after `from`, or npos. An empty pattern is never found.
    std::size_t Find(std::string_view text, std::size_t from = 0) const;
    std::size_t size() const { return pattern_.size(); }

private:
    bool Same(char a, char b) const { return ignoreCase_ ? FoldAscii(a) == b : a == b; }

    std::string pattern_;
    bool ignoreCase_ = false;
    std::vector<std::size_t> failure_;
};

bool ContainsText(std::string_view text, std::string_view pattern, LetterCase letterCase);
bool StartsWithText(std::string_view text, std::string_view prefix, LetterCase letterCase);

// `byte` as "%" and two upper-case hexadecimal digits.
void AppendPercentEscaped(std::string& out, unsigned char byte);

// Every byte `escape` picks written with AppendPercentEscaped, the rest as they are.
template <class Picks> std::string PercentEscaped(std::string_view text, Picks escape) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (escape(byte)) {
            AppendPercentEscaped(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

// Without the spaces and tabs around it: the optional white space of header and robots.txt lines.
std::string_view TrimBlanks(std::string_view text);

// Replaces every occurrence of `find` in one left-to-right pass; what a replacement forms is
// not looked at again. An empty `find` leaves the text unchanged.
std::string ReplaceAll(std::string_view text, const TextFinder& find, std::string_view with);
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view with,
                       LetterCase letterCase);

} // namespace tarnwick
