// Today's-web fax reader on whole pages: character sets, a long page of mixed blocks, the bounds
// of the parse, and the choice between the two readers.
#include "webfax/PageCharset.h"
#include "webfax/PageReading.h"
#include "webfax/ReadingScan.h"
#include "webfax/WebFax.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

std::vector<std::string> NumbersOf(const std::vector<FoundFax>& found) {
    std::vector<std::string> numbers;
    for (const FoundFax& fax : found) {
        numbers.push_back(fax.number);
    }
    return numbers;
}

struct CharsetRow {
    const char* name;
    std::string page;
    const char* contentType;
    PageCharset expected;
};

TEST(WebFaxCharset, DeclarationsComeInTheirOrder) {
    const std::string utf8Body = "<p>Fax:\xC2\xA0"
                                 "312\xC2\xA0"
                                 "555\xE2\x80\x91"
                                 "0143</p>";
    const std::string latinBody = "<p>Fax:\xA0"
                                  "312\x96"
                                  "555\x96"
                                  "0143</p>";
    const CharsetRow rows[] = {
        {"header utf-8", utf8Body, "text/html; charset=UTF-8", PageCharset::Utf8},
        {"header quoted latin", latinBody, "text/html; charset=\"windows-1252\"", PageCharset::Windows1252},
        {"header over meta", "<meta charset=\"windows-1252\">" + utf8Body, "text/html;charset=utf-8",
         PageCharset::Utf8},
        {"meta charset", "<head><meta charset=iso-8859-1></head>" + latinBody, "text/html",
         PageCharset::Windows1252},
        {"meta http-equiv",
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">" + latinBody, "",
         PageCharset::Windows1252},
        {"valid utf-8 undeclared", utf8Body, "", PageCharset::Utf8},
        {"invalid utf-8 undeclared", latinBody, "", PageCharset::Windows1252},
        {"unknown declaration", "<meta charset=koi8-r>" + latinBody, "", PageCharset::Windows1252},
    };
    for (const CharsetRow& row : rows) {
        EXPECT_EQ(DetectPageCharset(row.page, row.contentType), row.expected) << row.name;
        EXPECT_EQ(NumbersOf(FindWebFaxNumbers(row.page, row.contentType, "example.com", false)),
                  std::vector<std::string>{"1-312-555-0143"})
            << row.name;
    }
}

TEST(WebFaxCharset, Utf8ValidityFollowsTheEncodingRules) {
    EXPECT_TRUE(IsValidUtf8("plain ascii text that is longer than eight bytes"));
    EXPECT_TRUE(IsValidUtf8("\xE2\x80\x93 \xF0\x9F\x93\xA0"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("abc\xE2\x80"));      // cut short
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // beyond U+10FFFF
}

// 200 blocks of the forms a contact page uses, half of them fax numbers, half decoys; every
// fax number distinct so that the list can be checked exactly.
TEST(WebFaxPage, TwoHundredMixedBlocksGiveExactlyTheirFaxNumbers) {
    std::mt19937 random(20);
    std::string body;
    std::vector<std::string> expected;
    for (int block = 0; block < 200; ++block) {
        const std::string line = std::to_string(1000 + block);
        const std::string dashed = "312-555-" + line;
        const std::string stored = "1-312-555-" + line;
        const std::string phone = "773-555-" + line;
        switch (random() % 10) {
        case 0:
            body += "<p>Fax: " + dashed + "</p>";
            expected.push_back(stored);
            break;
        case 1:
            body += "<li><i class=\"fa fa-fax\"></i> (312)\u00a0555\u2011" + line + "</li>";
            expected.push_back(stored);
            break;
        case 2:
            body += "<p>P: " + phone + " | F: 312.555." + line + "</p>";
            expected.push_back(stored);
            break;
        case 3:
            body += "<a href=\"fax:+1312555" + line + "\">fax</a>";
            expected.push_back(stored);
            break;
        case 4:
            body += "<script type=\"application/ld+json\">{\"@graph\":[{\"faxNumber\":[\"+1 312 555 " + line +
                    "\"]}]}</script>";
            expected.push_back(stored);
            break;
        case 5:
            body += "<p>Fairfax office \u00b7 Phone " + phone + "</p>";
            break;
        case 6:
            body += "<p>We no longer accept faxes. Call " + phone + "</p>";
            break;
        case 7:
            body += "<p><a href=\"tel:+1773555" + line + "\">" + phone + "</a></p>";
            break;
        case 8:
            body += "<p>Order 312555" + line + " of 2024-01-05, Chicago IL 60601-" + line + "</p>";
            break;
        default:
            body += "<h4>Fax</h4><div>Closed on Sundays</div><div>" + phone + "</div>";
            break;
        }
    }
    const std::string page = "<html><head><meta charset=utf-8></head><body>" + body + "</body></html>";
    std::vector<std::string> numbers = NumbersOf(FindWebFaxNumbers(page, "", "example.com", false));
    std::sort(numbers.begin(), numbers.end());
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> extra, missing;
    std::set_difference(numbers.begin(), numbers.end(), expected.begin(), expected.end(),
                        std::back_inserter(extra));
    std::set_difference(expected.begin(), expected.end(), numbers.begin(), numbers.end(),
                        std::back_inserter(missing));
    EXPECT_EQ(extra, std::vector<std::string>{});
    EXPECT_EQ(missing, std::vector<std::string>{});
}

TEST(WebFaxPage, DeepNestingIsCutBeforeTheParse) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += "<div>";
    }
    const std::size_t cut = ParsableLength(deep, deep.size(), 400);
    EXPECT_EQ(cut, 400u * 5u);
    // Unclosed paragraphs and list items are closed by the parser and do not count.
    std::string flat;
    for (int i = 0; i < 5000; ++i) {
        flat += "<p>text<li>item<br><img src=x>";
    }
    EXPECT_EQ(ParsableLength(flat, flat.size(), 400), flat.size());
    // Tags that never close are passed in one sweep.
    const std::string unclosed(1 << 20, '<');
    EXPECT_EQ(ParsableLength("<p>" + unclosed, unclosed.size() + 3, 400), unclosed.size() + 3);
    std::string openTags;
    for (int i = 0; i < 200000; ++i) {
        openTags += "<a";
    }
    EXPECT_EQ(ParsableLength(openTags, openTags.size(), 400), 400u * 2u);
    // The fax number before the cut is still found.
    EXPECT_EQ(NumbersOf(FindWebFaxNumbers("<p>Fax: 312-555-0143</p>" + deep, "", "example.com", false)),
              std::vector<std::string>{"1-312-555-0143"});
}

TEST(WebFaxPage, PagesWithoutAnyLabelAreNotParsed) {
    EXPECT_FALSE(MayHoldFaxLabel("<p>Phone: 312-555-0100</p><p>Fairfield</p>"));
    EXPECT_TRUE(MayHoldFaxLabel("<p>FAX 312</p>"));
    EXPECT_TRUE(MayHoldFaxLabel("<b>F:</b> 312"));
    EXPECT_TRUE(MayHoldFaxLabel("<b>F</b>: 312"));
    EXPECT_EQ(
        NumbersOf(FindWebFaxNumbers("<p>T: 312-555-0100 <b>F</b>: 312-555-0143</p>", "", "a.com", false)),
        std::vector<std::string>{"1-312-555-0143"});
    EXPECT_TRUE(MayHoldFaxLabel("\xF0\x9F\x93\xA0 312"));
}

struct LabelledPageRow {
    const char* name;
    std::string page;
};

// Every kind of label, also written with character references or invisible characters, keeps
// its page from being passed over unparsed.
TEST(WebFaxPage, NoLabelledPageIsPassedOver) {
    const LabelledPageRow rows[] = {
        {"word", "<p>Fax: 312-555-0143</p>"},
        {"facsimile", "<p>FACSIMILE 312-555-0143</p>"},
        {"e-fax", "<p>e-fax 312-555-0143</p>"},
        {"letter colon", "<p>P: 312-555-0100 F: 312-555-0143</p>"},
        {"letter dot", "<p>p. 312-555-0100 f. 312-555-0143</p>"},
        {"letter in markup", "<p><b>F</b>: 312-555-0143</p>"},
        {"icon class", "<p><i class=\"fa fa-fax\"></i> 312-555-0143</p>"},
        {"svg icon", "<p><svg><use href=\"#icon-fax\"/></svg> 312-555-0143</p>"},
        {"fax link", "<p><a href=\"fax:+13125550143\">Send</a></p>"},
        {"tel link titled", "<p><a href=\"tel:+13125550143\" title=\"Fax\">Send</a></p>"},
        {"microdata", "<p><span itemprop=\"faxNumber\">312-555-0143</span></p>"},
        {"json-ld", "<script type=\"application/ld+json\">{\"faxNumber\": \"+1 312 555 0143\"}</script>"},
        {"table column", "<table><tr><th>Phone</th><th>Fax</th></tr><tr><td>312-555-0100</td>"
                         "<td>312-555-0143</td></tr></table>"},
        {"fax sign", "<p>\xF0\x9F\x93\xA0 312-555-0143</p>"},
        {"fax sign reference", "<p>&#128224; 312-555-0143</p>"},
        {"fax sign reference without semicolon", "<p>&#x1F4E0 312-555-0143</p>"},
        {"colon reference", "<p>F&#58; 312-555-0143</p>"},
        {"named colon", "<p>F&colon; 312-555-0143</p>"},
        {"named period", "<p>F&period; 312-555-0143</p>"},
        {"full-width colon", "<p>F\xEF\xBC\x9A 312-555-0143</p>"},
        {"soft hyphen", "<p>F&shy;: 312-555-0143</p>"},
        {"zero-width space", "<p>F\xE2\x80\x8B: 312-555-0143</p>"},
        {"letter references", "<p>&#70;&#x41;x: 312-555-0143</p>"},
        {"last letter reference", "<p>Fa&#120;: 312-555-0143</p>"},
        {"reference before the letter", "<p>Tel &amp&#70;: 312-555-0143</p>"},
        {"legacy reference before the letter", "<p>Tel &ampF: 312-555-0143</p>"},
        {"drop capital", "<p><span class=\"initial\">F</span>ax: 312-555-0143</p>"},
        {"word break in the word", "<p>Fa<wbr>x: 312-555-0143</p>"},
        {"comment in the word", "<p>F<!-- a > b -->ax: 312-555-0143</p>"},
        {"empty comment in the word", "<p>F<!-->ax: 312-555-0143</p>"},
        {"hyphenation point", "<p>Fac&shy;simile 312-555-0143</p>"},
        {"numeric hyphenation point", "<p>Fa&#173;x 312-555-0143</p>"},
        {"utf-8 soft hyphen", "<p>Fac\xC2\xADsimile 312-555-0143</p>"},
        {"windows-1252 soft hyphen", "<p>Fa\xADx 312-555-0143</p>"},
        {"full-width colon reference", "<p>F&#xFF1A; 312-555-0143</p>"},
        {"json escape",
         "<script type=\"application/ld+json\">{\"\\u0066axNumber\": \"+1 312 555 0143\"}</script>"},
    };
    for (const LabelledPageRow& row : rows) {
        EXPECT_TRUE(MayHoldFaxLabel(row.page)) << row.name;
        EXPECT_EQ(NumbersOf(FindWebFaxNumbers(row.page, "", "example.com", false)),
                  std::vector<std::string>{"1-312-555-0143"})
            << row.name;
    }
}

// Pages pieced together from label letters, markup, references and odd characters: whenever
// the reader takes a labelled number or a fax value from one, the pre-scan must not pass it over.
TEST(WebFaxPage, PreScanPassesNoPageTheReaderTakesANumberFrom) {
    const std::vector<std::string> pieces = {"F",
                                             "f",
                                             "a",
                                             "x",
                                             "ax",
                                             "Fa",
                                             ":",
                                             ".",
                                             " ",
                                             "c",
                                             "simile",
                                             "s",
                                             "e",
                                             "Tel",
                                             "of",
                                             "A",
                                             "X",
                                             " 312-555-0143",
                                             "312-555-0143",
                                             "<b>",
                                             "</b>",
                                             "<br>",
                                             "<p>",
                                             "<span>",
                                             "</span>",
                                             "<!-- -->",
                                             "&shy;",
                                             "&#58;",
                                             "&#70;",
                                             "&#x46;",
                                             "&#x66;",
                                             "&#97;",
                                             "&#120;",
                                             "&colon;",
                                             "&amp",
                                             "&eacute;",
                                             "&#x1F4E0",
                                             "\xF0\x9F\x93\xA0",
                                             "\xC2\xAD",
                                             "\xE2\x80\x8B",
                                             "\xEF\xBC\x9A",
                                             "\xAD",
                                             "\xE9",
                                             "\\u0066",
                                             "<i class=\"",
                                             "\">",
                                             "<a href=\"",
                                             "tel:",
                                             "\" title=\"",
                                             "</a>",
                                             "<table><tr><th>",
                                             "<td>",
                                             "</tr><tr>",
                                             "<svg><use href=\"#i-",
                                             "\"/></svg>",
                                             "Number",
                                             "<script type=\"application/ld+json\">{\"",
                                             "\": \"312-555-0143\"}</script>"};
    std::mt19937 random(20);
    int labelled = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string page;
        for (int k = 1 + static_cast<int>(random() % 14); k > 0; --k) {
            page += pieces[random() % pieces.size()];
        }
        const PageReading reading = ReadPage(DecodePage(page, ""));
        if (!LabelledNumbers(reading.text).empty() || !reading.faxValues.empty()) {
            ++labelled;
            EXPECT_TRUE(MayHoldFaxLabel(page)) << page;
        }
    }
    EXPECT_GT(labelled, 100);
}

TEST(WebFaxPage, WordsEndingInFAreNoLabel) {
    for (const std::string page : {"<p>Proof of. Staff: 5, half. Tel: 312-555-0100</p>",
                                   "<p>See the pdf: &amp; &#8217;items&#8217; for 312-555-0100</p>",
                                   "<p>Staff</p><p>Proof of <i>delivery</i>.</p><p>Tel 312-555-0100</p>",
                                   "<p>Proof&nbsp;of&nbsp;delivery&#58; 312-555-0100</p>",
                                   "<script>var s = \"\\u00e9t\\u00e9\";</script><p>Call 312-555-0100</p>"}) {
        EXPECT_FALSE(MayHoldFaxLabel(page)) << page;
    }
}

} // namespace
} // namespace tarnwick
