// Fax numbers of a page.
#include "harvest/FaxNumbers.h"

#include "harvest/TextPasses.h"
#include "text/AreaCode.h"
#include "text/HtmlToText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace tarnwick {

namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr int kMostDigits = 13;
constexpr int kFewestDigits = 9;
constexpr int kTooManyLetters = 7;
// Letters stop counting once this many digits are in.
constexpr int kDigitsBeforeLettersIgnored = 10;

// Letter case is ASCII: OR-ing 0x20 maps exactly "F" and "f" (and so on) onto the lower case.
bool IsFax(char f, char a, char x) {
    return (f | 0x20) == 'f' && (a | 0x20) == 'a' && (x | 0x20) == 'x';
}

// Pages are searched eight bytes at a time: a word is only looked at byte by byte when one of
// its bytes may be the one sought (the test can give false alarms, never miss one).
constexpr std::uint64_t kEveryByte = 0x0101010101010101;

std::uint64_t LoadWord(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

bool MayHoldByte(std::uint64_t word, unsigned char byte) {
    const std::uint64_t v = word ^ (kEveryByte * byte);
    return ((v - kEveryByte) & ~v & (kEveryByte * 0x80)) != 0;
}

std::size_t FindFax(std::string_view text, std::size_t from) {
    const char* bytes = text.data();
    std::size_t i = from;
    for (; i + 10 <= text.size(); i += 8) {
        if (MayHoldByte(LoadWord(bytes + i) | (kEveryByte * 0x20), 'f')) {
            for (std::size_t j = i; j < i + 8; ++j) {
                if (IsFax(bytes[j], bytes[j + 1], bytes[j + 2])) {
                    return j;
                }
            }
        }
    }
    for (; i + 2 < text.size(); ++i) {
        if (IsFax(bytes[i], bytes[i + 1], bytes[i + 2])) {
            return i;
        }
    }
    return npos;
}

// The page with every CR and every LF removed.
std::string RemoveLineEnds(std::string_view page) {
    std::string flat;
    flat.reserve(page.size());
    const char* bytes = page.data();
    std::size_t kept = 0;
    const auto dropLineEnds = [&](std::size_t from, std::size_t to) {
        for (std::size_t j = from; j < to; ++j) {
            if (bytes[j] == '\r' || bytes[j] == '\n') {
                flat.append(bytes + kept, j - kept);
                kept = j + 1;
            }
        }
    };
    std::size_t i = 0;
    for (; i + 8 <= page.size(); i += 8) {
        const std::uint64_t word = LoadWord(bytes + i);
        if (MayHoldByte(word, '\r') || MayHoldByte(word, '\n')) {
            dropLineEnds(i, i + 8);
        }
    }
    dropLineEnds(i, page.size());
    flat.append(bytes + kept, page.size() - kept);
    return flat;
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "AAA-BBB-..." : the first "-" is the fourth character and the next one the eighth.
bool HasNorthAmericanDashes(std::string_view number) {
    return number.find('-') == 3 && number.find('-', 4) == 7;
}

struct NumberScan {
    std::string candidate;
    int digitCount = 0;
    int letterCount = 0;
    std::size_t scanIndex = 0;
};

// Reads a telephone number from the start of a line of `lineLength` characters, handed out one
// at a time by `readChar`. The first pass reads nothing, so the index ends one past the last
// character read.
template <typename Reader> NumberScan ScanNumber(std::size_t lineLength, Reader&& readChar) {
    NumberScan scan;
    bool hasPlus = false;
    // A " " or "." appended last becomes "-" at the next separator; nothing else can be one.
    std::size_t pendingSeparator = npos;
    while (scan.scanIndex <= lineLength && scan.digitCount < kMostDigits &&
           scan.letterCount < kTooManyLetters) {
        if (scan.scanIndex >= 1) {
            const char c = readChar();
            if (c >= '0' && c <= '9') {
                scan.candidate += c;
                // Leading "1" digits are a country prefix, not part of the count.
                if (c != '1' || scan.digitCount != 0) {
                    ++scan.digitCount;
                }
            } else if ((c == ' ' || c == '-' || c == '.') && !scan.candidate.empty()) {
                if (pendingSeparator != npos) {
                    scan.candidate[pendingSeparator] = '-';
                    pendingSeparator = npos;
                }
                if (scan.candidate.back() != '-') {
                    if (c != '-') {
                        pendingSeparator = scan.candidate.size();
                    }
                    scan.candidate += c;
                }
            } else if (c == '+' && !hasPlus) {
                scan.candidate += '+';
                hasPlus = true;
            } else if (scan.digitCount < kDigitsBeforeLettersIgnored && IsAsciiLetter(c)) {
                ++scan.letterCount;
            }
        }
        ++scan.scanIndex;
    }
    return scan;
}

// The number a scan stands for, or nullopt when it is not one to store.
std::optional<FoundFax> Classify(const NumberScan& scan, bool allowInternational) {
    if (scan.digitCount < kFewestDigits || scan.digitCount > kMostDigits ||
        scan.letterCount >= kTooManyLetters) {
        return std::nullopt;
    }
    std::string candidate = scan.candidate;
    std::replace(candidate.begin(), candidate.end(), ' ', '-');
    std::replace(candidate.begin(), candidate.end(), '.', '-');
    for (int pass = 0; pass < 6; ++pass) {
        candidate = ReplaceAll(candidate, "--", "-", LetterCase::Exact);
    }
    if (candidate.ends_with('-')) {
        candidate.pop_back();
    }
    if (candidate.starts_with('-')) {
        candidate.erase(0, 1);
    }

    std::string_view rest = candidate;
    bool hadCountryPrefix = false;
    if (rest.starts_with("1-")) {
        rest.remove_prefix(2);
        hadCountryPrefix = true;
    } else if (rest.starts_with("+1-")) {
        rest.remove_prefix(3);
        hadCountryPrefix = true;
    }
    // A second number or an extension after a North-American one is cut off.
    if (HasNorthAmericanDashes(rest) && rest.find('+') == npos && rest.size() != 12) {
        std::string shortened = std::string(hadCountryPrefix ? "1-" : "") + std::string(rest.substr(0, 12));
        candidate = std::move(shortened);
    }

    FoundFax found;
    std::string shape = candidate;
    if (IsNorthAmericanNumber(shape)) {
        std::string lookup = candidate;
        found.location = AreaCodeLocation(lookup);
        if (!candidate.starts_with("1-")) {
            candidate.insert(0, "1-");
        }
    } else {
        if (!allowInternational) {
            return std::nullopt;
        }
        found.location = "Unknown/International";
        if (candidate.find('+') == npos) {
            candidate.insert(0, 1, '+');
        }
    }
    found.number = std::move(candidate);
    return found;
}

// One line that holds "fax": while it does, the line is cut to start at the first "fax", every
// "fax" is removed in one pass, a number is read, and what the scan read is cut off. The line
// is kept as a linked list so that each pass costs only what it removes: once a pass is done,
// any "fax" left was formed by the removal and straddles one of its seams.
class FaxLine final {
public:
    explicit FaxLine(std::string_view text)
        : text_(text)
        , next_(text.size() + 2)
        , prev_(text.size() + 2)
        , length_(text.size()) {
        // Node k holds character k (1-based); node 0 stands before the line, node n + 1 after it.
        for (std::size_t k = 0; k < next_.size(); ++k) {
            next_[k] = k + 1;
            prev_[k] = k == 0 ? 0 : k - 1;
        }
        for (std::size_t i = FindFax(text_, 0); i != npos; i = FindFax(text_, i + 3)) {
            pending_.push_back(i + 1);
        }
    }

    void Scan(bool allowInternational, std::vector<FoundFax>& found) {
        for (;;) {
            const auto first = std::lower_bound(pending_.begin(), pending_.end(), next_[0]);
            if (first == pending_.end()) {
                return;
            }
            std::size_t node = next_[0];
            for (; node != *first; node = next_[node]) {
                --length_;
            }
            Link(0, node);
            RemovePending(first);

            std::size_t reading = next_[0];
            const NumberScan scan = ScanNumber(length_, [&] {
                const char c = text_[reading - 1];
                reading = next_[reading];
                return c;
            });
            if (auto fax = Classify(scan, allowInternational)) {
                found.push_back(std::move(*fax));
            }
            if (scan.scanIndex >= length_) {
                return;
            }
            // Characters read, and the one after them, are dropped.
            Link(0, next_[reading]);
            length_ -= scan.scanIndex;
        }
    }

private:
    void Link(std::size_t before, std::size_t after) {
        next_[before] = after;
        prev_[after] = before;
    }

    bool IsFaxFrom(std::size_t node) const {
        const std::size_t tail = text_.size() + 1;
        if (node == 0 || node == tail) {
            return false;
        }
        const std::size_t second = next_[node];
        if (second == tail || next_[second] == tail) {
            return false;
        }
        return IsFax(text_[node - 1], text_[second - 1], text_[next_[second] - 1]);
    }

    // Removes the pending occurrences from `first` on, in ascending order, and makes the ones
    // formed by the removal the pending ones.
    void RemovePending(std::vector<std::size_t>::const_iterator first) {
        std::vector<std::size_t> seams;
        for (auto it = first; it != pending_.cend(); ++it) {
            const std::size_t before = prev_[*it];
            seams.push_back(before);
            Link(before, next_[next_[next_[*it]]]);
            length_ -= 3;
        }
        std::vector<std::size_t> formed;
        for (const std::size_t before : seams) {
            if (before == 0) {
                continue;
            }
            if (IsFaxFrom(prev_[before])) {
                formed.push_back(prev_[before]);
            }
            if (IsFaxFrom(before)) {
                formed.push_back(before);
            }
        }
        std::sort(formed.begin(), formed.end());
        formed.erase(std::unique(formed.begin(), formed.end()), formed.end());
        pending_ = std::move(formed);
    }

    std::string_view text_;
    std::vector<std::size_t> next_;
    std::vector<std::size_t> prev_;
    std::size_t length_ = 0;
    std::vector<std::size_t> pending_;
};

std::string DecodeLineEscapes(std::string_view line) {
    std::string decoded = ReplaceAll(line, "%40", "@", LetterCase::Exact);
    decoded = ReplaceAll(decoded, "%20", " ", LetterCase::Exact);
    decoded = ReplaceAll(decoded, "&lt;", "<", LetterCase::Exact);
    return ReplaceAll(decoded, "&gt;", ">", LetterCase::Exact);
}

} // namespace

bool IsNorthAmericanNumber(std::string& number) {
    if (number.starts_with("1-")) {
        number.erase(0, 2);
    }
    return number.size() == 12 && HasNorthAmericanDashes(number);
}

std::vector<FoundFax> ScanFaxNumbers(const std::string& pageText, bool allowInternational) {
    std::vector<FoundFax> found;
    const std::string_view text = pageText;
    // Only lines holding "fax" are read; the escapes decoded first neither form nor break one.
    std::size_t start = 0;
    for (std::size_t hit = FindFax(text, start); hit != npos; hit = FindFax(text, start)) {
        std::size_t lineStart = start;
        const std::size_t lineEndBefore = text.rfind('\r', hit);
        if (lineEndBefore != npos && lineEndBefore >= start) {
            lineStart = lineEndBefore + 1;
            if (text[lineStart] == '\n') {
                ++lineStart;
            }
        }
        std::size_t end = text.find('\r', hit);
        if (end == npos) {
            end = text.size();
        }
        const std::string decoded = DecodeLineEscapes(text.substr(lineStart, end - lineStart));
        FaxLine(decoded).Scan(allowInternational, found);
        start = end + 1;
        if (start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return found;
}

std::string BreakBeforeFax(std::string_view text) {
    std::string prepared;
    prepared.reserve(text.size() + text.size() / 32);
    std::size_t done = 0;
    for (std::size_t hit = FindFax(text, 0); hit != npos; hit = FindFax(text, hit + 3)) {
        prepared.append(text, done, hit - done);
        prepared += "\r\nfax";
        done = hit + 3;
    }
    prepared.append(text, done);
    return prepared;
}

std::vector<FoundFax> FindFaxNumbersInPage(const std::string& page, bool allowInternational) {
    return ScanFaxNumbers(HtmlToText(BreakBeforeFax(RemoveLineEnds(page))), allowInternational);
}

} // namespace tarnwick
