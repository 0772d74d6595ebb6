// Fax numbers: the shape test, the scan of converted text (samples, and a literal slow reading
// of the rules as a reference on generated text) and the whole page path.
#include "harvest/FaxNumbers.h"

#include "text/AreaCode.h"

#include <gtest/gtest.h>
#include <random>

namespace tarnwick {

bool operator==(const FoundFax& a, const FoundFax& b) {
    return a.number == b.number && a.location == b.location;
}

void PrintTo(const FoundFax& fax, std::ostream* os) {
    *os << fax.number << " | " << fax.location;
}

namespace {

const std::string kTollFree = "--  US/Canada toll free (see 888, 877, 866, 855, 844, 833, 822) ";
const std::string kInternational = "Unknown/International";

TEST(IsNorthAmericanNumber, ShapeAndPrefix) {
    const struct {
        const char* number;
        bool northAmerican;
        const char* left;
    } cases[] = {
        {"1-800-555-1234", true, "800-555-1234"},
        {"800-555-1234", true, "800-555-1234"},
        {"abc-def-ghij", true, "abc-def-ghij"},
        {"+1-800-555-1234", false, "+1-800-555-1234"},
        {"1-1-800-555-1234", false, "1-800-555-1234"},
        {"800-5551-234", false, "800-5551-234"},
        {"800555-1234", false, "800555-1234"},
        {"800-555-12345", false, "800-555-12345"},
        {"1-", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        std::string number = c.number;
        EXPECT_EQ(IsNorthAmericanNumber(number), c.northAmerican) << c.number;
        EXPECT_EQ(number, c.left) << c.number;
    }
}

struct ScanCase {
    std::string text;
    std::vector<FoundFax> national;      // without international numbers
    std::vector<FoundFax> international; // with them
};

TEST(ScanFaxNumbers, SamplesAfterTheWordFax) {
    const FoundFax tollFree{"1-800-555-1234", kTollFree};
    const ScanCase cases[] = {
        {"Fax: (800) 555-1234", {tollFree}, {tollFree}},
        {"fax 1.800.555.1234", {tollFree}, {tollFree}},
        {"FAX: +1 (800) 555-1234 ext 22", {tollFree}, {tollFree}},
        {"Fax: 800-555-1234.", {tollFree}, {tollFree}},
        // A country prefix with nothing after it is not cut to the North-American shape.
        {"Fax: +1 800 555 1234", {}, {{"+1-800-555-1234", kInternational}}},
        {"Fax: 8005551234", {}, {{"+8005551234", kInternational}}},
        {"Fax: (800)555-1234", {}, {{"+800555-1234", kInternational}}},
        {"Fax: +44 20 7946 0000", {}, {{"+44-20-7946-0000", kInternational}}},
        // Too few digits, and too many letters before the digits.
        {"Fax: 555-1234", {}, {}},
        {"fax us today at 800-555-1234", {}, {}},
        {"fax Number: 800-555-1234", {tollFree}, {tollFree}},
        // Nine digits and seven letters: the letters win.
        {"fax abcdefg 800-555-123", {}, {}},
        {"fax abcdef 800-555-123", {}, {{"+800-555-123", kInternational}}},
        // Letters after ten digits are not counted.
        {"fax 800-555-1234 abcdefghijk", {tollFree}, {tollFree}},
        // Every "fax" of a line goes at once, so the second number is never read.
        {"Fax: 800-555-1234, Fax: 800-555-9999", {tollFree}, {tollFree}},
        {"Faxes: 800-555-1234", {tollFree}, {tollFree}},
        {"Telefax 800-555-1234", {tollFree}, {tollFree}},
        // Leading "1" digits are not counted, so 1 + ten digits still reads the whole number.
        {"fax 1 800 555 1234 22", {tollFree}, {tollFree}},
        // A number split over two lines is not joined.
        {"Fax: 800-555-\r\n1234", {}, {}},
        {"Fax: 800-555-\r1234", {}, {}},
        // A lone LF does not end a line; it is passed over like any other sign.
        {"Fax: 800-555-\n1234", {tollFree}, {tollFree}},
        // Escapes are decoded before the scan.
        {"Fax:%20800-555-1234", {tollFree}, {tollFree}},
        {"Fax&lt;800-555-1234&gt;", {tollFree}, {tollFree}},
        // One number per line, on every line.
        {"Fax 800-555-1234\r\nphone\r\nfax: 800.555.9999\r\n",
         {tollFree, {"1-800-555-9999", kTollFree}},
         {tollFree, {"1-800-555-9999", kTollFree}}},
        // A number that qualifies twice is listed twice; dropping repeats is the store's job.
        {"fax 800-555-1234\r\nfax 800-555-1234", {tollFree, tollFree}, {tollFree, tollFree}},
        {"", {}, {}},
        {"no number here", {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScanFaxNumbers(c.text, false), c.national) << c.text;
        EXPECT_EQ(ScanFaxNumbers(c.text, true), c.international) << c.text;
    }
}

TEST(ScanFaxNumbers, ReadsOnAfterAScanThatStoppedEarly) {
    // The removal of "fax" forms a new one ("ffaxax" becomes "fax"); the first scan stops at
    // seven letters and drops one more character, and the rest of the line is read again.
    EXPECT_EQ(ScanFaxNumbers("fax abcdefgh ffaxax: 800-555-1234", false),
              (std::vector<FoundFax>{{"1-800-555-1234", kTollFree}}));
    // Thirteen digits end a scan; what follows it is searched again only for a formed "fax".
    EXPECT_EQ(ScanFaxNumbers("fax 800-555-1234-800 fFAXax 800 555 9999", false),
              (std::vector<FoundFax>{{"1-800-555-1234", kTollFree}, {"1-800-555-9999", kTollFree}}));
    EXPECT_EQ(ScanFaxNumbers("fax 800-555-1234-800 fax 800 555 9999", false),
              (std::vector<FoundFax>{{"1-800-555-1234", kTollFree}}));
}

TEST(ScanFaxNumbers, LongLinesEndTheScan) {
    // Far beyond a 16-bit index, and a candidate of only "1" digits that never counts.
    const std::string ones = "fax " + std::string(100000, '1') + " 800-555-1234";
    EXPECT_TRUE(ScanFaxNumbers(ones, false).empty());
    const auto international = ScanFaxNumbers(ones, true);
    ASSERT_EQ(international.size(), 1U);
    EXPECT_EQ(international[0].number, "+" + std::string(100000, '1') + "-800-555-1234");
    const std::string spaced = "fax" + std::string(70000, ' ') + "800-555-1234";
    EXPECT_EQ(ScanFaxNumbers(spaced, false), (std::vector<FoundFax>{{"1-800-555-1234", kTollFree}}));
}

// A slow and literal reading of the scan rules, to check the fast one against.
bool SameText(const std::string& a, std::size_t at, const std::string& b, bool ignoreCase) {
    if (at + b.size() > a.size()) {
        return false;
    }
    for (std::size_t i = 0; i < b.size(); ++i) {
        const char x = a[at + i];
        const char y = b[i];
        if (ignoreCase
                ? std::tolower(static_cast<unsigned char>(x)) != std::tolower(static_cast<unsigned char>(y))
                : x != y) {
            return false;
        }
    }
    return true;
}

std::string ReplaceEvery(const std::string& text, const std::string& find, const std::string& with,
                         bool ignoreCase = false) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (SameText(text, i, find, ignoreCase)) {
            out += with;
            i += find.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::size_t FindFaxSlowly(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (SameText(line, i, "fax", true)) {
            return i;
        }
    }
    return std::string::npos;
}

std::vector<FoundFax> ReferenceScan(const std::string& text, bool allowInternational) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    std::vector<FoundFax> found;
    for (std::string line : lines) {
        line = ReplaceEvery(line, "%40", "@");
        line = ReplaceEvery(line, "%20", " ");
        line = ReplaceEvery(line, "&lt;", "<");
        line = ReplaceEvery(line, "&gt;", ">");
        while (FindFaxSlowly(line) != std::string::npos) {
            line = ReplaceEvery(line.substr(FindFaxSlowly(line)), "fax", "", true);
            std::string candidate;
            int digits = 0;
            int letters = 0;
            std::size_t scanIndex = 0;
            while (scanIndex <= line.size() && digits < 13 && letters < 7) {
                if (scanIndex > 0) {
                    const char c = line[scanIndex - 1];
                    if (c >= '0' && c <= '9') {
                        candidate += c;
                        if (!(c == '1' && digits == 0)) {
                            ++digits;
                        }
                    } else if ((c == ' ' || c == '-' || c == '.') && !candidate.empty()) {
                        candidate = ReplaceEvery(ReplaceEvery(candidate, " ", "-"), ".", "-");
                        if (candidate.back() != '-') {
                            candidate += c;
                        }
                    } else if (c == '+' && candidate.find('+') == std::string::npos) {
                        candidate += '+';
                    } else if (digits < 10 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
                        ++letters;
                    }
                }
                ++scanIndex;
            }
            if (digits >= 9 && digits <= 13) {
                candidate = ReplaceEvery(ReplaceEvery(candidate, " ", "-"), ".", "-");
                for (int i = 0; i < 6; ++i) {
                    candidate = ReplaceEvery(candidate, "--", "-");
                }
                if (!candidate.empty() && candidate.back() == '-') {
                    candidate.pop_back();
                }
                if (!candidate.empty() && candidate.front() == '-') {
                    candidate.erase(0, 1);
                }
                std::string r = candidate;
                bool hadPrefix = false;
                if (r.rfind("1-", 0) == 0) {
                    r = r.substr(2);
                    hadPrefix = true;
                } else if (r.rfind("+1-", 0) == 0) {
                    r = r.substr(3);
                    hadPrefix = true;
                }
                if (r.find('-') == 3 && r.find('-', 4) == 7 && r.find('+') == std::string::npos &&
                    r.size() != 12) {
                    candidate = (hadPrefix ? "1-" : "") + r.substr(0, 12);
                }
                std::string shape = candidate;
                FoundFax fax;
                bool keep = letters < 7;
                if (IsNorthAmericanNumber(shape)) {
                    std::string lookup = candidate;
                    fax.location = AreaCodeLocation(lookup);
                    if (candidate.rfind("1-", 0) != 0) {
                        candidate = "1-" + candidate;
                    }
                } else if (allowInternational) {
                    fax.location = kInternational;
                    if (candidate.find('+') == std::string::npos) {
                        candidate = "+" + candidate;
                    }
                } else {
                    keep = false;
                }
                fax.number = candidate;
                if (keep) {
                    found.push_back(fax);
                }
            }
            if (scanIndex < line.size()) {
                line = line.substr(scanIndex);
            } else {
                break;
            }
        }
    }
    return found;
}

TEST(ScanFaxNumbers, AgreesWithALiteralReadingOnGeneratedText) {
    // Pieces of numbers, separators, letters and "fax" in its forms, so that formed "fax",
    // prefixes, extensions, long runs and line ends all come up often.
    const std::vector<std::string> pieces = {
        "fax",  "Fax",  "FAX", "f",    "ax", "x",  "fa",  "a",   "F",    "A",    "800", "555",
        "1234", "1",    "12",  "0",    " ",  " ",  "-",   ".",   "+",    ":",    "(",   ")",
        "e",    "abcd", ",",   "\r\n", "\r", "\n", "%20", "%40", "&lt;", "&gt;", "+1 ", "ext"};
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::size_t numbers = 0;
    for (int round = 0; round < 20000; ++round) {
        std::uniform_int_distribution<std::size_t> length(0, round % 10 == 0 ? 200 : 30);
        std::string text;
        for (std::size_t n = length(random); n > 0; --n) {
            text += pieces[pick(random)];
        }
        for (const bool international : {false, true}) {
            const auto expected = ReferenceScan(text, international);
            numbers += expected.size();
            ASSERT_EQ(ScanFaxNumbers(text, international), expected) << text;
        }
    }
    // The generated text must actually exercise the number rules.
    EXPECT_GT(numbers, 1000U);
}

TEST(FindFaxNumbersInPage, FromThePageBody) {
    const FoundFax tollFree{"1-800-555-1234", kTollFree};
    const FoundFax second{"1-800-555-9999", kTollFree};
    const ScanCase cases[] = {
        // Line ends of the page are dropped before the conversion, joining the number.
        {"<html><body>Fax: 800-555-\n1234</body></html>", {tollFree}, {tollFree}},
        {"<html><body>Fax: 800-555-\r\n1234</body></html>", {tollFree}, {tollFree}},
        // A line break of the converted text splits it.
        {"<body>Fax: 800-555-<br>1234</body>", {}, {}},
        // The break put before "fax" is white space to the conversion.
        {"<body>Tel 800-555-0000 Fax 800-555-1234</body>", {tollFree}, {tollFree}},
        {"<body>Fax 800-555-1234<br>FAX 800-555-9999</body>", {tollFree, second}, {tollFree, second}},
        {"<body>Fax 800-555-1234, fax 800-555-9999</body>", {tollFree}, {tollFree}},
        {"<body>FAXES: 800-555-1234</body>", {tollFree}, {tollFree}},
        {"<body>Joe&#8217;s fax: (800) 555-1234</body>", {tollFree}, {tollFree}},
        {"<body>Fax:%20800-555-1234</body>", {tollFree}, {tollFree}},
        {"<body>Fax: +44 20 7946 0000</body>", {}, {{"+44-20-7946-0000", kInternational}}},
        {"<body><script>fax = '800-555-1234';</script>no number</body>", {}, {}},
        {"", {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindFaxNumbersInPage(c.text, false), c.national) << c.text;
        EXPECT_EQ(FindFaxNumbersInPage(c.text, true), c.international) << c.text;
    }
}

} // namespace
} // namespace tarnwick
