// Words and word parts compared without case.
#include "webfax/WordParts.h"

#include "text/Cp1252.h"

#include <algorithm>

namespace tarnwick {

namespace {

bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsLetter(char c) {
    return IsLower(c) || IsUpper(c);
}

// `word` (lower case) at `at` of `value` stands as a word or word part: not continued by a
// lower-case letter on either side, unless a case change starts or ends it ("contactFax").
bool IsWordPartAt(std::string_view value, std::size_t at, std::size_t length) {
    const bool startOk =
        at == 0 || !IsLetter(value[at - 1]) || (IsUpper(value[at]) && IsLower(value[at - 1]));
    const std::size_t end = at + length;
    const bool endOk =
        end >= value.size() || !IsLetter(value[end]) || (IsUpper(value[end]) && IsLower(value[end - 1]));
    return startOk && endOk;
}

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool HasWordPart(std::string_view value, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= value.size(); ++i) {
        if (EqualsNoCase(value.substr(i, word.size()), word) && IsWordPartAt(value, i, word.size())) {
            return true;
        }
    }
    return false;
}

bool HasPhoneWordPart(std::string_view value) {
    // Responsive-layout classes ("hidden-phone") name a screen size, not a number.
    if (HasWordPart(value, "hidden") || HasWordPart(value, "visible")) {
        return false;
    }
    return HasWordPart(value, "phone") || HasWordPart(value, "telephone") || HasWordPart(value, "tel");
}

bool HasFaxWordPart(std::string_view value) {
    return HasWordPart(value, "fax");
}

bool SaysFax(std::string_view readingText) {
    return HasWordPart(readingText, "fax") || HasWordPart(readingText, "facsimile");
}

} // namespace tarnwick
