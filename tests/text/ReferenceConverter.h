// The conversion written out literally from its rules, 1-based as they are stated and
// without any shortcut; slow, for checking the fast converter on generated pages.
#pragma once

#include "ReferenceScan.h"
#include "text/HtmlToText.h"

#include <string>

namespace tarnwick::reference {

inline std::string TrimSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

inline std::string Convert(const std::string& html) {
    const long n = static_cast<long>(html.size());
    const auto at = [&](long position) { return html[static_cast<std::size_t>(position - 1)]; };
    const auto code = [&](long position) { return static_cast<unsigned char>(at(position)); };

    std::string output;
    long long column = 0;
    long long listNumber = 0;
    bool lastWasSpace = false;
    bool inBody = false;
    bool inScript = false;
    bool inComment = false;
    bool textSeen = false;
    bool lineBroken = false;
    bool paragraphBroken = false;
    bool inOrderedList = false;
    bool compactRow = false;
    bool cellStarted = false;

    const auto emitted = [&] { lastWasSpace = lineBroken = paragraphBroken = false; };
    const auto whiteSpace = [&] {
        if (lastWasSpace) {
            return;
        }
        if (!inComment && !inScript) {
            output += ' ';
        }
        lastWasSpace = true;
        column += 1;
        if (column >= 75) {
            output += "\r\n";
            column = 0;
        }
    };
    const auto paragraph = [&] {
        output += "\r\n\r\n";
        column = 0;
        paragraphBroken = true;
    };

    for (long position = 1; position <= n; ++position) {
        const char c = at(position);
        if (c == '<' && !inComment) {
            position += 1;
            std::string raw;
            for (;;) {
                if (position >= n) {
                    return output;
                }
                if (at(position) == '>') {
                    if (position < n && code(position + 1) < 32) {
                        lastWasSpace = true;
                    }
                    break;
                }
                raw += at(position);
                position += 1;
                if (position >= n || raw == "!--") {
                    break;
                }
            }
            const std::string name = TrimSpaces(raw);
            const std::string upper = Upper(name);

            long k = position + 1;
            if (k >= n) {
                return output;
            }
            if (code(k) <= 32) {
                bool wasSpace = false;
                for (;;) {
                    if (at(k) == '<') {
                        lastWasSpace = true;
                        break;
                    }
                    if (code(k) > 32) {
                        lastWasSpace = !wasSpace;
                        break;
                    }
                    wasSpace = at(k) == ' ';
                    k += 1;
                    if (k >= n) {
                        return output;
                    }
                }
            }

            const auto is = [&](const std::string& word) {
                return upper == word || upper.starts_with(word + " ");
            };
            if (!name.empty() && name[0] == '/') {
                const std::string t = WithoutSpaces(upper);
                if (t.starts_with("/SCRIPT")) {
                    inScript = false;
                }
                if (textSeen) {
                    if (t.starts_with("/OL")) {
                        inOrderedList = false;
                        if (!paragraphBroken) {
                            paragraph();
                        }
                        listNumber = 0;
                    } else if (t.starts_with("/UL")) {
                        if (!paragraphBroken) {
                            paragraph();
                        }
                    }
                }
            } else if (upper.starts_with("TITLE")) {
                long q = position + 1;
                while (q < n && at(q) != '<') {
                    output += at(q);
                    q += 1;
                }
                if (!inComment && !inScript) {
                    output += "\r\n\r\n";
                }
                column = 0;
                paragraphBroken = true;
                position = q - 1;
            } else if (upper.starts_with("BODY") && !inScript) {
                inBody = true;
            } else if (is("P") && !inScript) {
                if (textSeen && !paragraphBroken && !inScript && !inComment) {
                    paragraph();
                }
            } else if (is("TR") && !inScript) {
                const auto compact = RowIsCompact(html, static_cast<std::size_t>(position));
                if (!compact) {
                    return output;
                }
                compactRow = *compact;
                output += "\r\n";
                column = 0;
                lineBroken = true;
                cellStarted = false;
            } else if (is("TD") || is("TH")) {
                if (compactRow) {
                    if (cellStarted) {
                        output += "   ";
                    }
                    cellStarted = true;
                } else {
                    output += "\r\n";
                    lineBroken = true;
                }
            } else if (upper == "BR" || upper.starts_with("TABLE")) {
                if (textSeen && !lineBroken) {
                    output += "\r\n";
                    column = 0;
                    lineBroken = true;
                }
            } else if (is("OPTION")) {
                output += "\r\n\t";
                column = 0;
            } else if (is("SCRIPT")) {
                inScript = true;
            } else if (upper.starts_with("!--") && inBody) {
                inComment = true;
            } else if (is("OL")) {
                inOrderedList = true;
                output += "\r\n\r\n";
                column = 0;
            } else if (is("UL")) {
                output += "\r\n\r\n";
                column = 0;
            } else if (is("LI")) {
                output += "\r\n";
                column = 0;
                if (inOrderedList) {
                    listNumber += 1;
                    output += std::to_string(listNumber) + ". ";
                } else {
                    output += "\x95 ";
                }
                column += 2;
            }
            continue;
        }

        if (!inBody || c == '<') {
            continue;
        }
        if (c == ' ') {
            whiteSpace();
        } else if (c == '-') {
            if (!textSeen) {
                continue;
            }
            if (inComment) {
                const std::size_t end = CommentEnd(html, static_cast<std::size_t>(position - 1));
                if (end == std::string::npos) {
                    return output;
                }
                inComment = false;
                position = static_cast<long>(end) + 1;
            } else {
                output += '-';
                column += 1;
                emitted();
            }
        } else if (c == '&') {
            long semicolon = 0;
            for (long j = 1; j <= 7 && position + j <= n; ++j) {
                if (at(position + j) == ';') {
                    semicolon = position + j;
                    break;
                }
                if (at(position + j) == '&') {
                    break;
                }
            }
            if (semicolon != 0) {
                if (!inComment && !inScript) {
                    const std::string text =
                        DecodeEntity(html.substr(static_cast<std::size_t>(position),
                                                 static_cast<std::size_t>(semicolon - position - 1)));
                    output += text;
                    column += static_cast<long long>(text.size());
                    emitted();
                }
                position = semicolon;
            } else if (!inComment && !inScript) {
                output += '&';
                column += 1;
                emitted();
            }
        } else {
            textSeen = true;
            if (code(position) < 31) {
                whiteSpace();
            } else if (code(position) > 31 && !inComment && !inScript) {
                output += c;
                column += 1;
                emitted();
            }
        }
    }
    return output;
}

} // namespace tarnwick::reference
