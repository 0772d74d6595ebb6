// The cheap look over a page's bytes for fax labels.
#include "webfax/LabelPrescan.h"

#include "text/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace tarnwick {

namespace {

// The longest character reference name that may stand right before a short label.
constexpr std::size_t kLongestReferenceName = 32;
constexpr std::string_view kFaxMachineUtf8 = "\xF0\x9F\x93\xA0";
constexpr std::uint32_t kFaxMachine = 0x1F4E0;
// How far markup and references may part the letters of one label (which also bounds the work
// for each place a label may start), and the most view characters a label needs.
constexpr std::size_t kFarthestSplit = 1024;
constexpr std::size_t kShortView = 6;
constexpr std::size_t kLongestView = 18;
// Stand in the label view for markup, which reads as nothing or parts two words, and for a
// named reference or a soft hyphen, which may read as nothing or as one character.
constexpr char kMarkup = '\x01';
constexpr char kNamed = '\x02';
// The ASCII bytes that may start markup or a reference.
constexpr std::string_view kViewedSpecially = "<&\\";

bool IsLetter(char c) {
    const char lower = LowerAscii(c);
    return lower >= 'a' && lower <= 'z';
}

// Bytes after a lone "f" that may read as ":" or "." or as nothing before one: markup, a
// character reference, or a UTF-8 sequence of the soft hyphen, zero-width or full-width
// characters (or a Windows-1252 soft hyphen).
bool MayEndShortLabel(char c) {
    return c == ':' || c == '.' || c == '<' || c == '&' || c == '\xC2' || c == '\xE2' || c == '\xEF' ||
           c == '\xAD';
}

// Whether a word may start at `at`: after a non-letter, or after letters that may be the name of
// a character reference ("&ampF:" reads "&F:").
bool WordMayStartAt(std::string_view page, std::size_t at) {
    std::size_t k = at;
    while (k > 0 && at - k < kLongestReferenceName && IsLetter(page[k - 1])) {
        --k;
    }
    return k == at || (k > 0 && page[k - 1] == '&');
}

bool LowerMatchAt(std::string_view text, std::size_t at, std::string_view lowerWord) {
    if (at + lowerWord.size() > text.size()) {
        return false;
    }
    for (std::size_t k = 0; k < lowerWord.size(); ++k) {
        if (LowerAscii(text[at + k]) != lowerWord[k]) {
            return false;
        }
    }
    return true;
}

// Whether the lower-case `word` may stand at `at` of a label view.
bool ViewedWordAt(std::string_view view, std::size_t at, std::string_view word) {
    if (word.empty()) {
        return true;
    }
    if (at >= view.size()) {
        return false;
    }
    if (view[at] == kMarkup) {
        return ViewedWordAt(view, at + 1, word);
    }
    if (view[at] == kNamed) {
        return ViewedWordAt(view, at + 1, word) || ViewedWordAt(view, at + 1, word.substr(1));
    }
    return LowerAscii(view[at]) == word[0] && ViewedWordAt(view, at + 1, word.substr(1));
}

bool ReferenceStartsAt(std::string_view page, std::size_t i) {
    return i + 1 < page.size() &&
           ((page[i] == '&' && page[i + 1] == '#') || (page[i] == '\\' && page[i + 1] == 'u'));
}

// A numeric character reference ("&#70;", "&#x46", as the parser reads them) or a JSON escape
// ("\u0066") at `at`: its code point, and `at` moved past it; else 0 and `at` unchanged.
std::uint32_t ReferenceAt(std::string_view page, std::size_t& at) {
    const bool json = page[at] == '\\';
    std::size_t k = at + 2;
    const bool hex = json || (k < page.size() && LowerAscii(page[k]) == 'x');
    k += hex && !json ? 1 : 0;
    const std::size_t digitsStart = k;
    std::uint32_t code = 0;
    for (; k < page.size() && (!json || k < digitsStart + 4); ++k) {
        const int digit = hex                                ? HexDigitValue(page[k])
                          : page[k] >= '0' && page[k] <= '9' ? page[k] - '0'
                                                             : -1;
        if (digit < 0) {
            break;
        }
        code = std::min<std::uint32_t>(code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
    }
    if (k == digitsStart || (json && k != digitsStart + 4)) {
        return 0;
    }
    at = k + (!json && k < page.size() && page[k] == ';' ? 1 : 0);
    return code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? 0xFFFD : code;
}

// What a character adds to the label view: nothing for those that read as nothing, ":" and "."
// for their full-width forms, the fax-machine sign itself, and an "a" for every other character
// above ASCII, which reads as a letter at most.
void AppendViewed(std::string& out, std::uint32_t code) {
    constexpr std::array<std::uint32_t, 6> kInvisible = {0xAD, 0x200B, 0x200C, 0x200D, 0x2060, 0xFEFF};
    if (std::find(kInvisible.begin(), kInvisible.end(), code) != kInvisible.end()) {
        return;
    }
    if (code == 0xFF1A || code == 0xFF0E) {
        out += code == 0xFF1A ? ':' : '.';
        return;
    }
    if (code < 0x80 || code == kFaxMachine) {
        AppendUtf8(out, code);
        return;
    }
    out += 'a';
}

// The length of the UTF-8 sequence at `at`; 1 for a byte that starts none (Windows-1252).
std::size_t SequenceLengthAt(std::string_view page, std::size_t at) {
    const auto lead = static_cast<unsigned char>(page[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    for (std::size_t k = 1; k < length; ++k) {
        if (at + k >= page.size() || (static_cast<unsigned char>(page[at + k]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

// Where the comment that starts at `at` ends: after "-->", "--!>" or the "<!-->" of an empty one.
// The ">" are looked up rather than the whole ending, which stays fast on pages full of dashes.
std::size_t AfterComment(std::string_view page, std::size_t at) {
    for (std::size_t close = page.find('>', at + 4); close != std::string_view::npos;
         close = page.find('>', close + 1)) {
        const std::string_view before = page.substr(at + 2, close - at - 2);
        if (before.ends_with("--") || before.ends_with("--!")) {
            return close + 1;
        }
    }
    return page.size();
}

// Where the markup that starts at `at` ends: after its ">" (a comment's ending); `at` itself
// when the "<" starts no markup.
std::size_t AfterMarkup(std::string_view page, std::size_t at) {
    const char next = at + 1 < page.size() ? page[at + 1] : ' ';
    if (!IsLetter(next) && next != '/' && next != '!' && next != '?') {
        return at;
    }
    if (page.substr(at).starts_with("<!--")) {
        return AfterComment(page, at);
    }
    const std::size_t end = page.find('>', at + 1);
    return end == std::string_view::npos ? page.size() : end + 1;
}

// Where the named character reference ("&shy;") at `at` ends; `at` when there is none.
std::size_t AfterNamedReference(std::string_view page, std::size_t at) {
    std::size_t k = at + 1;
    while (k < page.size() && k - at <= kLongestReferenceName &&
           (IsLetter(page[k]) || (k > at + 1 && page[k] >= '0' && page[k] <= '9'))) {
        ++k;
    }
    return k > at + 1 && k < page.size() && page[k] == ';' ? k + 1 : at;
}

// A UTF-8 sequence at `at` that reads as nothing or as a full-width ":" or ".": its length. The
// soft hyphen may also be a Windows-1252 page's "\xC2" and soft hyphen, or a lone byte that reads
// as nothing there and as a replaced character in UTF-8: it is one character at most.
std::size_t FoldedSequenceAt(std::string_view page, std::size_t at, std::string& out) {
    static constexpr std::array<std::string_view, 5> kInvisible = {
        "\xE2\x80\x8B", "\xE2\x80\x8C", "\xE2\x80\x8D", "\xE2\x81\xA0", "\xEF\xBB\xBF"};
    const std::string_view rest = page.substr(at);
    if (rest[0] == '\xAD' || rest.starts_with("\xC2\xAD")) {
        out += kNamed;
        return rest[0] == '\xAD' ? 1 : 2;
    }
    for (const std::string_view invisible : kInvisible) {
        if (rest.starts_with(invisible)) {
            return invisible.size();
        }
    }
    if (rest.starts_with("\xEF\xBC\x9A") || rest.starts_with("\xEF\xBC\x8E")) {
        out += rest[2] == '\x9A' ? ':' : '.';
        return 3;
    }
    return 0;
}

// Adds what the page's text at `at` reads as to the label view; gives where the next read starts.
std::size_t ViewNext(std::string_view page, std::size_t at, std::string& out) {
    if (page[at] == '<') {
        if (const std::size_t end = AfterMarkup(page, at); end != at) {
            out += kMarkup;
            return end;
        }
    }
    if (ReferenceStartsAt(page, at)) {
        std::size_t end = at;
        if (const std::uint32_t code = ReferenceAt(page, end); code != 0) {
            AppendViewed(out, code);
            return end;
        }
    }
    if (page[at] == '&') {
        if (const std::size_t end = AfterNamedReference(page, at); end != at) {
            out += kNamed;
            return end;
        }
    }
    if (static_cast<unsigned char>(page[at]) < 0x80) {
        out += page[at];
        return at + 1;
    }
    if (const std::size_t length = FoldedSequenceAt(page, at, out); length > 0) {
        return at + length;
    }
    const std::size_t length = SequenceLengthAt(page, at);
    if (page.substr(at, length) == kFaxMachineUtf8) {
        out += kFaxMachineUtf8;
    } else {
        out += 'a';
    }
    return at + length;
}

bool IsMark(char c) {
    return c == kMarkup || c == kNamed;
}

// The label view of the page from `at` on, as far as a label that starts there reaches: its
// text with markup one kMarkup mark, references written out, and characters that read as
// nothing left out, across at most kFarthestSplit bytes.
std::string LabelViewAt(std::string_view page, std::size_t at, std::size_t length) {
    std::string out;
    const std::string_view near = page.substr(0, std::min(page.size(), at + kFarthestSplit));
    for (std::size_t i = at; i < near.size() && out.size() < length;) {
        i = ViewNext(near, i, out);
        // A run of marks is one mark, which reads as one character at most when any may.
        if (out.size() >= 2 && IsMark(out.back()) && IsMark(out[out.size() - 2])) {
            const char mark = out.back() == kNamed ? kNamed : out[out.size() - 2];
            out.pop_back();
            out.back() = mark;
        }
    }
    return out;
}

// Whether a label may start at `at` that the bytes as they stand hide: "fax" or "facsimile" cut
// by markup, a reference or a character above ASCII after its first letters, or begun by a
// reference to "f" or to the fax-machine sign.
bool MayHideLabelAt(std::string_view page, std::size_t at) {
    if (ReferenceStartsAt(page, at)) {
        std::size_t end = at;
        const std::uint32_t code =
            ReferenceAt(page.substr(0, std::min(page.size(), at + kFarthestSplit)), end);
        return code == 'f' || code == 'F' || code == kFaxMachine;
    }
    constexpr std::string_view kLongestWord = "facsimile";
    std::size_t k = 0;
    while (at + k < page.size() && k < kLongestWord.size() && LowerAscii(page[at + k]) == kLongestWord[k]) {
        ++k;
    }
    return k > 0 && at + k < page.size() &&
           (static_cast<unsigned char>(page[at + k]) >= 0x80 ||
            kViewedSpecially.find(page[at + k]) != std::string_view::npos);
}

bool LabelStartsAt(std::string_view page, std::size_t at) {
    // A short view settles most places; only a start of "facsimile" needs the long one.
    const std::string view = LabelViewAt(page, at, kShortView);
    if (view.starts_with(kFaxMachineUtf8) || ViewedWordAt(view, 0, "fax")) {
        return true;
    }
    // As for "F" before "<" in the bytes: markup may be followed by ":" or move text beside "F".
    const bool shortLabelEnd = view.size() > 1 && (view[1] == ':' || view[1] == '.' || IsMark(view[1]));
    if (!view.empty() && LowerAscii(view[0]) == 'f' && shortLabelEnd && WordMayStartAt(page, at)) {
        return true;
    }
    return ViewedWordAt(view, 0, "fac") && ViewedWordAt(LabelViewAt(page, at, kLongestView), 0, "facsimile");
}

} // namespace

bool MayHoldFaxLabel(std::string_view page) {
    for (std::size_t i = 0; i < page.size(); ++i) {
        const char c = page[i];
        if (c == kFaxMachineUtf8[0] && page.substr(i).starts_with(kFaxMachineUtf8)) {
            return true;
        }
        const bool f = LowerAscii(c) == 'f';
        if (f && (LowerMatchAt(page, i, "fax") || LowerMatchAt(page, i, "facsimile"))) {
            return true;
        }
        // "F:", "f.", "<b>F</b>:" and "F&colon;" may be the short label.
        if (f && i + 1 < page.size() && MayEndShortLabel(page[i + 1]) && WordMayStartAt(page, i)) {
            return true;
        }
        if ((f || c == '&' || c == '\\') && MayHideLabelAt(page, i) && LabelStartsAt(page, i)) {
            return true;
        }
    }
    return false;
}

} // namespace tarnwick
