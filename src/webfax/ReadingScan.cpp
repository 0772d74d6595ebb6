// Labels and numbers of the reading text.
#include "webfax/ReadingScan.h"

#include "webfax/ReadingText.h"

#include <algorithm>
#include <array>

namespace tarnwick {

namespace {

constexpr std::size_t kLongestWritten = 40;
constexpr int kMostDigits = 17;
// Punctuation and connector letters a label reaches across.
constexpr int kWidestGap = 24;
constexpr std::size_t kMostNumbers = 256;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string Lowered(std::string_view word) {
    std::string lower(word);
    for (char& c : lower) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    }
    return lower;
}

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool IsFaxWord(std::string_view lower) {
    return IsOneOf(lower,
                   {"fax", "facsimile", "efax", "telefax", "faxnumber", "faxno", "faxnr", "faxnummer"});
}

bool IsConnector(std::string_view lower) {
    return IsOneOf(lower, {"number", "no", "nr", "num", "nbr", "line", "toll", "free", "tollfree"});
}

// Words that name a telephone line beside "fax" in a pair such as "fax/phone" or "fax and phone".
bool IsPairWord(std::string_view lower) {
    return IsOneOf(lower, {"phone", "tel", "telephone", "ph", "voice"});
}

bool IsJoiner(std::string_view lower) {
    return lower == "and" || lower == "or";
}

std::size_t SkipSpaces(std::string_view text, std::size_t i) {
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    return i;
}

// "F" or "f" followed by ":" or "." right before a number.
bool IsLetterLabel(std::string_view text, std::size_t wordEnd, std::string_view lower) {
    if (lower != "f" || wordEnd >= text.size() || (text[wordEnd] != ':' && text[wordEnd] != '.')) {
        return false;
    }
    return NumberStartsAt(text, SkipSpaces(text, wordEnd + 1));
}

class LabelState final {
public:
    void LabelFromText() {
        Start();
        markup_ = false;
        blocksLeft_ = 1;
        blockHasText_ = true;
    }

    void LabelFromMarkup() {
        ++markScopes_;
        if (active_ && !markup_) {
            return; // a text label already reaches further
        }
        // A label inside a labelled element reaches as far as the outer one.
        const bool nested = active_ && markup_;
        Start();
        markup_ = true;
        if (!nested) {
            scope_ = markScopes_;
        }
    }

    // The block holding a marked element ends.
    void MarkEnd() {
        markScopes_ = markScopes_ > 0 ? markScopes_ - 1 : 0;
        if (active_ && markup_ && markScopes_ < scope_) {
            active_ = false;
        }
    }

    void BlockEnd() {
        if (!active_ || markup_ || !blockHasText_) {
            return; // empty blocks are not counted
        }
        if (blocksLeft_ == 0) {
            active_ = false;
            return;
        }
        --blocksLeft_;
        crossed_ = true;
        blockHasText_ = false;
    }

    // A telephone sign at the start of a later block begins another entry.
    void PhoneMark() {
        if (active_ && crossed_ && !blockHasText_) {
            active_ = false;
        }
    }

    void Word(std::string_view lower) {
        if (!active_) {
            return;
        }
        blockHasText_ = true;
        // A lone "F" is the short label of the same line ("<abbr title=Fax>F</abbr>").
        if (IsConnector(lower) || lower == "f" || (IsPairWord(lower) && joined_)) {
            Widen(static_cast<int>(lower.size()));
            joined_ = false;
        } else if (IsJoiner(lower)) {
            Widen(static_cast<int>(lower.size()));
            joined_ = true;
        } else {
            active_ = false;
        }
    }

    void Punctuation(char c) {
        if (!active_) {
            return;
        }
        // A block of punctuation alone (a ":" cell between label and number) is not counted.
        joined_ = c == '/' || c == '&' || c == '+';
        Widen(1);
    }

    void End() { active_ = false; }
    bool active() const { return active_; }

private:
    void Start() {
        active_ = true;
        crossed_ = false;
        joined_ = false;
        gap_ = 0;
    }

    void Widen(int by) {
        gap_ += by;
        if (gap_ > kWidestGap) {
            active_ = false;
        }
    }

    bool active_ = false;
    bool markup_ = false;
    bool crossed_ = false;
    bool joined_ = false;
    bool blockHasText_ = false;
    int blocksLeft_ = 0;
    int markScopes_ = 0;
    int scope_ = 0;
    int gap_ = 0;
};

} // namespace

bool NumberStartsAt(std::string_view text, std::size_t at) {
    if (at >= text.size()) {
        return false;
    }
    if (IsDigit(text[at])) {
        return true;
    }
    if (text[at] != '+' && text[at] != '(') {
        return false;
    }
    const std::size_t next = SkipSpaces(text, at + 1);
    return next < text.size() && (IsDigit(text[next]) || (text[at] == '+' && text[next] == '('));
}

WrittenNumber WrittenNumberAt(std::string_view text, std::size_t at) {
    WrittenNumber written{at, at};
    int digits = 0;
    std::size_t i = at;
    for (; i < text.size() && i - at < kLongestWritten; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            if (++digits > kMostDigits) {
                break;
            }
            written.end = i + 1;
        } else if (c == ')') {
            written.end = i + 1;
        } else if (c == '/' && i > at && IsDigit(text[i - 1]) && i + 1 < text.size() &&
                   IsDigit(text[i + 1])) {
            // "030/1234567": a slash between digits separates groups; with spaces it parts numbers.
        } else if (!(c == ' ' || c == '-' || c == '.' || c == '(' || (c == '+' && i == at))) {
            break;
        } else if (c == ' ' && i + 1 < text.size() && text[i + 1] == ' ') {
            break;
        }
    }
    // A number cut off in the middle of its digits is not this number.
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        written.end = i;
    }
    return written;
}

std::vector<std::string> ReadingsOf(std::string_view written) {
    std::vector<std::string> readings{std::string(written)};
    for (int cut = 0; cut < 2; ++cut) {
        const std::size_t space = written.rfind(' ');
        if (space == std::string_view::npos || space == 0) {
            break;
        }
        written = written.substr(0, space);
        while (!written.empty() && !IsDigit(written.back()) && written.back() != ')') {
            written.remove_suffix(1);
        }
        if (written.empty()) {
            break;
        }
        readings.emplace_back(written);
    }
    return readings;
}

std::vector<std::string> LabelledNumbers(std::string_view reading) {
    std::vector<std::string> numbers;
    LabelState label;
    std::size_t i = 0;
    while (i < reading.size() && numbers.size() < kMostNumbers) {
        const char c = reading[i];
        if (c == kBlockBreak) {
            label.BlockEnd();
        } else if (c == kRowBreak) {
            label.End();
        } else if (c == kFaxMark) {
            label.LabelFromMarkup();
        } else if (c == kPhoneMark) {
            label.PhoneMark();
        } else if (c == kMarkEnd) {
            label.MarkEnd();
        } else if (c == kValueTaken) {
            label.End();
        } else if (c == ' ') {
            // spaces neither label nor break
        } else if (NumberStartsAt(reading, i)) {
            const WrittenNumber written = WrittenNumberAt(reading, i);
            if (label.active()) {
                numbers.emplace_back(reading.substr(written.start, written.end - written.start));
            }
            label.End();
            i = std::max(written.end, i + 1);
            continue;
        } else if (IsLetter(c)) {
            std::size_t end = i;
            while (end < reading.size() && IsLetter(reading[end])) {
                ++end;
            }
            const std::string lower = Lowered(reading.substr(i, end - i));
            if (IsFaxWord(lower) || IsLetterLabel(reading, end, lower)) {
                label.LabelFromText();
            } else {
                label.Word(lower);
            }
            i = end;
            continue;
        } else {
            label.Punctuation(c);
        }
        ++i;
    }
    return numbers;
}

} // namespace tarnwick
