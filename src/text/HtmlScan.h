// Forward scans the HTML converter makes without moving its reading position; kept apart
// so they can be checked against straightforward versions of the same rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tarnwick::htmlscan {

inline constexpr std::size_t npos = std::string_view::npos;

// Letter case in tags and names is ASCII letter case.
inline char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// `word` is given in capitals.
inline bool StartsWithNoCase(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (Upper(text[i]) != word[i]) {
            return false;
        }
    }
    return true;
}

inline bool EqualsNoCase(std::string_view text, std::string_view word) {
    return text.size() == word.size() && StartsWithNoCase(text, word);
}

// Index of the ">" that closes a comment whose closing scan starts at `from`: the first
// ">" at which the text from `from` on, with its spaces removed, ends in "-->". npos when
// the input ends first.
std::size_t FindCommentEnd(std::string_view html, std::size_t from);

// Decides whether a table row is short enough to put its cells on one line, by reading
// ahead from the character after the row's tag. What a long read-ahead found is
// remembered per tag position, so rows that all read ahead over the same stretch of the
// page cost time linear in its length.
class RowScanner final {
public:
    explicit RowScanner(std::string_view html)
        : html_(html) {}

    // nullopt when the scan reaches the last character of the input.
    std::optional<bool> IsCompact(std::size_t from);

private:
    enum class Ending : std::uint8_t { RowEnd, NestedTable };
    // How the scan from a tag position onwards ends, and how many characters it counts
    // (65 stands for "65 or more, or a paragraph or line break").
    struct Outcome {
        Ending ending = Ending::RowEnd;
        std::int64_t added = 0;
    };
    struct Visit {
        std::size_t key = 0;
        std::int64_t counted = 0;
        std::int64_t breaks = 0;
    };

    std::optional<Outcome> Known(std::size_t key) const;
    bool Finish(Ending ending, std::int64_t counted, std::int64_t breaks, std::size_t length);

    std::string_view html_;
    // One byte per tag position and reading mode (outside or inside a cell), filled only
    // once some scan has been long: 0 unknown, else the encoded outcome.
    std::vector<std::uint8_t> known_;
    std::vector<Visit> visits_;
};

} // namespace tarnwick::htmlscan
