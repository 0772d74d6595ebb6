// Single-pass HTML-to-text conversion, character reference decoding and space removal.
#include "text/HtmlToText.h"

#include "text/Cp1252.h"
#include "text/HtmlScan.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <string_view>

namespace tarnwick {

namespace {

using htmlscan::EqualsNoCase;
using htmlscan::StartsWithNoCase;
using htmlscan::Upper;

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kParagraph = "\r\n\r\n";
constexpr std::int64_t kLineLength = 75;
constexpr char kBullet = '\x95';

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The whole tag is `word`, or it is `word` followed by a space and attributes.
bool IsTag(std::string_view tag, std::string_view word) {
    return StartsWithNoCase(tag, word) && (tag.size() == word.size() || tag[word.size()] == ' ');
}

// Whether `tag`, read without its spaces, starts with `word` (given in capitals).
bool StartsWithIgnoringSpaces(std::string_view tag, std::string_view word) {
    std::size_t matched = 0;
    for (std::size_t i = 0; i < tag.size() && matched < word.size(); ++i) {
        if (tag[i] == ' ') {
            continue;
        }
        if (Upper(tag[i]) != word[matched]) {
            return false;
        }
        ++matched;
    }
    return matched == word.size();
}

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string CharacterFor(std::uint64_t code) {
    if (code <= 255) {
        return std::string(1, static_cast<char>(code));
    }
    return std::string(1, code > 0xFFFF ? '?' : UnicodeToCp1252(static_cast<char32_t>(code)));
}

struct NamedCharacter {
    std::string_view name;
    int code = 0; // -1: empty text
};

constexpr std::array<NamedCharacter, 40> kNamed = {{
    {"quot", -1},   {"amp", '&'},   {"lt", '<'},     {"gt", '>'},     {"nbsp", 160},   {"iexcl", 161},
    {"cent", 162},  {"pound", 163}, {"curren", 164}, {"yen", 165},    {"brvbar", 166}, {"sect", 167},
    {"uml", 168},   {"copy", 169},  {"ordf", 170},   {"laquo", 171},  {"not", 172},    {"shy", 173},
    {"reg", 174},   {"macr", 175},  {"deg", 176},    {"plusmn", 177}, {"sup2", 178},   {"sup3", 179},
    {"acute", 180}, {"micro", 181}, {"para", 182},   {"middot", 183}, {"cedil", 184},  {"sup1", 185},
    {"ordm", 186},  {"raquo", 187}, {"frac14", 188}, {"frac12", 189}, {"frac34", 190}, {"iquest", 191},
    {"times", 215}, {"szlig", 223}, {"divide", 247}, {"yuml", 255},
}};

// Lowercase codes 224 to 254 without 247; the capital is 32 lower.
constexpr std::array<std::string_view, 30> kAccented = {
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig", "ccedil", "egrave", "eacute",
    "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",   "ntilde", "ograve", "oacute",
    "ocirc",  "otilde", "ouml",   "oslash", "ugrave", "uacute", "ucirc", "uuml",   "yacute", "thorn"};

class Converter final {
public:
    explicit Converter(std::string_view html)
        : html_(html)
        , rows_(html) {}

    std::string Run();

private:
    // Each returns false when the conversion ends there.
    bool ReadTag(std::size_t& i);
    bool LookAheadWhiteSpace(std::size_t i);
    bool Dispatch(std::string_view tag, std::size_t& i);
    // A character of the body that is not a tag start and not plain text.
    bool Text(std::size_t& i);

    void WhiteSpace();
    void Reference(std::size_t& i);
    void Emitted() { lastWasSpace_ = lineBroken_ = paragraphBroken_ = false; }
    bool Hidden() const { return inComment_ || inScript_; }

    std::string_view html_;
    htmlscan::RowScanner rows_;
    std::size_t last_ = html_.empty() ? 0 : html_.size() - 1;
    std::string output_;
    std::int64_t column_ = 0;
    std::int64_t listNumber_ = 0;
    bool lastWasSpace_ = false;
    bool inBody_ = false;
    bool inScript_ = false;
    bool inComment_ = false;
    bool textSeen_ = false;
    bool lineBroken_ = false;
    bool paragraphBroken_ = false;
    bool inOrderedList_ = false;
    bool compactRow_ = false;
    bool cellStarted_ = false;
};

// Characters that are copied as they are, one column each: everything above the space
// except those with rules of their own.
constexpr std::array<bool, 256> kPlain = [] {
    std::array<bool, 256> plain{};
    for (std::size_t code = 33; code < plain.size(); ++code) {
        plain[code] = code != '<' && code != '-' && code != '&';
    }
    return plain;
}();

bool IsPlain(char c) {
    return kPlain[static_cast<unsigned char>(c)];
}

std::string Converter::Run() {
    const std::size_t size = html_.size();
    for (std::size_t i = 0; i < size; ++i) {
        const char c = html_[i];
        if (c == '<' && !inComment_) {
            if (!ReadTag(i)) {
                break;
            }
        } else if (!inBody_) {
            // Nothing before the body is text; only the next tag matters.
            const std::size_t next = html_.find('<', i + 1);
            i = (next == std::string_view::npos ? size : next) - 1;
        } else if (IsPlain(c)) {
            std::size_t end = i + 1;
            while (end < size && IsPlain(html_[end])) {
                ++end;
            }
            textSeen_ = true;
            if (!Hidden()) {
                output_.append(html_.substr(i, end - i));
                column_ += static_cast<std::int64_t>(end - i);
                Emitted();
            }
            i = end - 1;
        } else if (!Text(i)) {
            break;
        }
    }
    return std::move(output_);
}

bool Converter::ReadTag(std::size_t& i) {
    const std::size_t open = i;
    if (open + 1 >= last_) {
        return false;
    }
    std::size_t p = 0;
    if (open + 3 < last_ && html_.compare(open + 1, 3, "!--") == 0) {
        // A comment opener ends the tag at once, on the character after it.
        p = open + 4;
    } else {
        p = html_.find('>', open + 1);
        if (p >= last_) {
            return false;
        }
        if (static_cast<unsigned char>(html_[p + 1]) < 32) {
            lastWasSpace_ = true;
        }
    }
    const std::string_view raw = html_.substr(open + 1, p - open - 1);
    i = p;
    if (!LookAheadWhiteSpace(i)) {
        return false;
    }
    return Dispatch(TrimSpaces(raw), i);
}

bool Converter::LookAheadWhiteSpace(std::size_t i) {
    std::size_t k = i + 1;
    if (k >= last_ || static_cast<unsigned char>(html_[k]) > 32) {
        return k < last_;
    }
    bool wasSpace = false;
    for (;;) {
        const char c = html_[k];
        if (c == '<') {
            lastWasSpace_ = true;
            return true;
        }
        if (static_cast<unsigned char>(c) > 32) {
            lastWasSpace_ = !wasSpace;
            return true;
        }
        wasSpace = c == ' ';
        if (++k >= last_) {
            return false;
        }
    }
}

bool Converter::Dispatch(std::string_view tag, std::size_t& i) {
    if (!tag.empty() && tag.front() == '/') {
        if (StartsWithIgnoringSpaces(tag, "/SCRIPT")) {
            inScript_ = false;
        }
        if (textSeen_) {
            if (StartsWithIgnoringSpaces(tag, "/OL")) {
                inOrderedList_ = false;
                if (!paragraphBroken_) {
                    output_ += kParagraph;
                    column_ = 0;
                    paragraphBroken_ = true;
                }
                listNumber_ = 0;
            } else if (StartsWithIgnoringSpaces(tag, "/UL") && !paragraphBroken_) {
                output_ += kParagraph;
                column_ = 0;
                paragraphBroken_ = true;
            }
        }
        return true;
    }

    if (StartsWithNoCase(tag, "TITLE")) {
        // The title is copied as it stands, up to the next tag.
        std::size_t end = i + 1;
        while (end < last_ && html_[end] != '<') {
            ++end;
        }
        output_ += html_.substr(i + 1, end - i - 1);
        if (!Hidden()) {
            output_ += kParagraph;
        }
        column_ = 0;
        paragraphBroken_ = true;
        i = end - 1;
    } else if (StartsWithNoCase(tag, "BODY") && !inScript_) {
        inBody_ = true;
    } else if (IsTag(tag, "P") && !inScript_) {
        if (textSeen_ && !paragraphBroken_ && !inComment_) {
            output_ += kParagraph;
            column_ = 0;
            paragraphBroken_ = true;
        }
    } else if (IsTag(tag, "TR") && !inScript_) {
        const std::optional<bool> compact = rows_.IsCompact(i + 1);
        if (!compact) {
            return false;
        }
        compactRow_ = *compact;
        output_ += kLineBreak;
        column_ = 0;
        lineBroken_ = true;
        cellStarted_ = false;
    } else if (IsTag(tag, "TD") || IsTag(tag, "TH")) {
        if (compactRow_) {
            if (cellStarted_) {
                output_ += "   ";
            }
            cellStarted_ = true;
        } else {
            output_ += kLineBreak;
            lineBroken_ = true;
        }
    } else if (EqualsNoCase(tag, "BR") || StartsWithNoCase(tag, "TABLE")) {
        if (textSeen_ && !lineBroken_) {
            output_ += kLineBreak;
            column_ = 0;
            lineBroken_ = true;
        }
    } else if (IsTag(tag, "OPTION")) {
        output_ += "\r\n\t";
        column_ = 0;
    } else if (IsTag(tag, "SCRIPT")) {
        inScript_ = true;
    } else if (StartsWithNoCase(tag, "!--") && inBody_) {
        inComment_ = true;
    } else if (IsTag(tag, "OL")) {
        inOrderedList_ = true;
        output_ += kParagraph;
        column_ = 0;
    } else if (IsTag(tag, "UL")) {
        output_ += kParagraph;
        column_ = 0;
    } else if (IsTag(tag, "LI")) {
        output_ += kLineBreak;
        column_ = 0;
        if (inOrderedList_) {
            ++listNumber_;
            output_ += std::to_string(listNumber_);
            output_ += ". ";
        } else {
            output_ += kBullet;
            output_ += ' ';
        }
        column_ += 2;
    }
    return true;
}

void Converter::WhiteSpace() {
    if (lastWasSpace_) {
        return;
    }
    if (!Hidden()) {
        output_ += ' ';
    }
    lastWasSpace_ = true;
    if (++column_ >= kLineLength) {
        output_ += kLineBreak;
        column_ = 0;
    }
}

void Converter::Reference(std::size_t& i) {
    // The name must close with ";" within the next seven characters, before any other "&".
    for (std::size_t k = i + 1; k <= i + 7 && k < html_.size(); ++k) {
        if (html_[k] == '&') {
            break;
        }
        if (html_[k] == ';') {
            if (!Hidden()) {
                const std::string text = DecodeEntity(std::string(html_.substr(i + 1, k - i - 1)));
                output_ += text;
                column_ += static_cast<std::int64_t>(text.size());
                Emitted();
            }
            i = k;
            return;
        }
    }
    if (!Hidden()) {
        output_ += '&';
        ++column_;
        Emitted();
    }
}

bool Converter::Text(std::size_t& i) {
    switch (html_[i]) {
    case '<': // only met inside a comment
        return true;
    case ' ':
        WhiteSpace();
        return true;
    case '-':
        if (!textSeen_) {
            return true;
        }
        if (inComment_) {
            const std::size_t end = htmlscan::FindCommentEnd(html_, i);
            if (end == htmlscan::npos) {
                return false;
            }
            inComment_ = false;
            i = end;
            return true;
        }
        output_ += '-';
        ++column_;
        Emitted();
        return true;
    case '&':
        Reference(i);
        return true;
    default:
        // A control character: text for the break rules, and white space unless it is
        // the unit separator (31), which is dropped.
        textSeen_ = true;
        if (static_cast<unsigned char>(html_[i]) < 31) {
            WhiteSpace();
        }
        return true;
    }
}

} // namespace

std::string HtmlToText(const std::string& html, const std::string& outputPath) {
    std::string text = Converter(html).Run();
    if (!outputPath.empty()) {
        std::ofstream file(outputPath, std::ios::binary | std::ios::trunc);
        if (file) {
            file << text << kLineBreak;
        }
    }
    return text;
}

std::string DecodeEntity(const std::string& name) {
    std::string lower;
    lower.reserve(name.size());
    for (const char c : name) {
        lower += Lower(c);
    }
    std::string_view rest = lower;
    if (!rest.empty() && rest.front() == '#') {
        rest.remove_prefix(1);
    }
    if (!rest.empty() && rest.find_first_not_of("0123456789") == std::string_view::npos) {
        // Saturates: every value above 0x10FFFF is as unknown as any other.
        std::uint64_t value = 0;
        for (const char digit : rest) {
            value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(digit - '0'), 0x110000);
        }
        return CharacterFor(value);
    }
    for (const NamedCharacter& named : kNamed) {
        if (named.name == rest) {
            return named.code < 0 ? std::string() : std::string(1, static_cast<char>(named.code));
        }
    }
    for (std::size_t i = 0; i < kAccented.size(); ++i) {
        if (kAccented[i] == rest) {
            const int lowerCode = 224 + static_cast<int>(i) + (i >= 23 ? 1 : 0);
            const bool capital = lower != name;
            return std::string(1, static_cast<char>(capital ? lowerCode - 32 : lowerCode));
        }
    }
    return {};
}

std::string RemoveSpaces(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (c != ' ') {
            result += c;
        }
    }
    return result;
}

} // namespace tarnwick
