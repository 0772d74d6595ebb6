// Slow, literal versions of the converter's forward scans (comment end, table-row
// look-ahead), for checking the fast ones on generated inputs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::reference {

inline std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

inline std::string WithoutSpaces(std::string_view text) {
    std::string result;
    for (const char c : text) {
        if (c != ' ') {
            result += c;
        }
    }
    return result;
}

// Collects the characters from `from` on and tests the whole collection at every ">".
inline std::size_t CommentEnd(std::string_view html, std::size_t from) {
    std::string collected;
    for (std::size_t i = from; i < html.size(); ++i) {
        collected += html[i];
        if (html[i] == '>') {
            const std::string squeezed = WithoutSpaces(collected);
            if (squeezed.size() >= 3 && squeezed.compare(squeezed.size() - 3, 3, "-->") == 0) {
                return i;
            }
        }
    }
    return std::string_view::npos;
}

// Reads ahead from `from` exactly as the rules say, keeping the tag text and the count.
inline std::optional<bool> RowIsCompact(std::string_view html, std::size_t from) {
    if (html.size() < 2 || from >= html.size() - 1) {
        return std::nullopt;
    }
    const std::size_t last = html.size() - 1;
    std::size_t k = from;
    long long count = 0;
    std::string tag;
    for (;;) {
        if (html[k] == '<') {
            tag.clear();
            if (++k >= last) {
                return std::nullopt;
            }
            while (html[k] != '>') {
                tag += html[k];
                if (++k >= last) {
                    return std::nullopt;
                }
            }
        }
        const std::string name = Upper(tag);
        if (name == "/TR" || name == "/TABLE") {
            return count < 65;
        }
        if (name == "TABLE" || name.starts_with("TABLE ")) {
            return false;
        }
        if (name == "TD" || name == "TH" || name.starts_with("TD ") || name.starts_with("TH ")) {
            for (;;) {
                if (++k >= last) {
                    return std::nullopt;
                }
                if (html[k] != '<') {
                    ++count;
                    continue;
                }
                std::string inner;
                if (++k >= last) {
                    return std::nullopt;
                }
                while (html[k] != '>') {
                    inner += html[k];
                    if (++k >= last) {
                        return std::nullopt;
                    }
                }
                const std::string innerName = Upper(inner);
                if (WithoutSpaces(innerName) == "/TD") {
                    tag.clear();
                    break;
                }
                if (innerName == "P" || innerName == "BR" || innerName.starts_with("P ") ||
                    innerName.starts_with("BR ")) {
                    count = 66;
                    break;
                }
            }
        }
        if (++k >= last) {
            return std::nullopt;
        }
    }
}

} // namespace tarnwick::reference
