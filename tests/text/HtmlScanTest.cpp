// The converter and its fast forward scans against slow literal versions of the rules,
// on generated inputs built from the pieces that matter to them.
#include "text/HtmlScan.h"

#include "ReferenceConverter.h"
#include "ReferenceScan.h"
#include "text/HtmlToText.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

std::string Generate(std::mt19937& random, const std::vector<std::string>& pieces, int count) {
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string result;
    for (int i = 0; i < count; ++i) {
        result += pieces[pick(random)];
    }
    return result;
}

std::string Show(const std::optional<bool>& compact) {
    return compact ? (*compact ? "compact" : "long") : "end of input";
}

const std::vector<std::string> kRowPieces = {"<tr>",
                                             "<TR>",
                                             "<td>",
                                             "<TD class=a>",
                                             "<th>",
                                             "</td>",
                                             "</ t d>",
                                             "</TD >",
                                             "</tr>",
                                             "</tr >",
                                             "</table>",
                                             "</TABLE>",
                                             "<table>",
                                             "<table b=1>",
                                             "<p>",
                                             "<P align=x>",
                                             "<br>",
                                             "<br/>",
                                             "<BR x>",
                                             "<pre>",
                                             "<b>",
                                             "a",
                                             "Fax",
                                             " ",
                                             "\r\n",
                                             "<",
                                             ">",
                                             "x<y",
                                             "-",
                                             "0123456789",
                                             std::string(30, 'z')};

TEST(RowLookAhead, AgreesWithTheLiteralRulesFromEveryRowTag) {
    std::mt19937 random(20261208);
    int decided = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string html = Generate(random, kRowPieces, 5 + round % 120);
        htmlscan::RowScanner scanner(html);
        // In reading order, as the converter asks, so remembered results are reused.
        for (std::size_t at = html.find('>'); at != std::string::npos; at = html.find('>', at + 1)) {
            const auto fast = scanner.IsCompact(at + 1);
            const auto slow = reference::RowIsCompact(html, at + 1);
            ASSERT_EQ(Show(fast), Show(slow)) << "from " << at + 1 << " in\n" << html;
            decided += slow.has_value() ? 1 : 0;
        }
    }
    EXPECT_GT(decided, 10000);
}

TEST(RowLookAhead, AgreesInAnyOrderOfQuestions) {
    std::mt19937 random(42);
    for (int round = 0; round < 500; ++round) {
        const std::string html = Generate(random, kRowPieces, 80);
        std::vector<std::size_t> starts(html.size());
        for (std::size_t i = 0; i < starts.size(); ++i) {
            starts[i] = i;
        }
        std::shuffle(starts.begin(), starts.end(), random);
        htmlscan::RowScanner scanner(html);
        for (const std::size_t from : starts) {
            ASSERT_EQ(Show(scanner.IsCompact(from)), Show(reference::RowIsCompact(html, from)))
                << "from " << from << " in\n"
                << html;
        }
    }
}

TEST(RowLookAhead, CountsAcrossRememberedPoints) {
    // The second question starts inside the first row's first cell and reads ahead far
    // enough to be remembered; the first reuses what it found and must add its own
    // characters to it.
    std::string tags;
    for (int i = 0; i < 50; ++i) {
        tags += "<b>";
    }
    const std::string html =
        "<tr><td>" + std::string(40, 'a') + "<tr>" + tags + "<td>" + std::string(30, 'c') + "</td></tr>..";
    htmlscan::RowScanner scanner(html);
    const std::size_t inner = html.rfind("<tr>") + 4;
    EXPECT_EQ(Show(scanner.IsCompact(inner)), "compact");
    EXPECT_EQ(Show(scanner.IsCompact(4)), "long");
    EXPECT_EQ(Show(reference::RowIsCompact(html, 4)), "long");
}

const std::vector<std::string> kCommentPieces = {"-", "--", " ",  ">",  "-->", "-- >", "- ->",
                                                 "a", "<",  "\t", "->", "!",   "--\t>"};

TEST(CommentEnd, AgreesWithTheLiteralRulesFromEveryStart) {
    std::mt19937 random(7);
    int closed = 0;
    for (int round = 0; round < 2000; ++round) {
        const std::string html = Generate(random, kCommentPieces, 1 + round % 30);
        for (std::size_t from = 0; from < html.size(); ++from) {
            const std::size_t slow = reference::CommentEnd(html, from);
            ASSERT_EQ(htmlscan::FindCommentEnd(html, from), slow) << "from " << from << " in\n" << html;
            closed += slow != std::string::npos ? 1 : 0;
        }
    }
    EXPECT_GT(closed, 10000);
}

TEST(CommentEnd, ClosingForms) {
    EXPECT_EQ(htmlscan::FindCommentEnd("- a -->x", 0), 6U);
    EXPECT_EQ(htmlscan::FindCommentEnd("-- >x", 0), 3U);
    EXPECT_EQ(htmlscan::FindCommentEnd("- - >x", 0), 4U);
    EXPECT_EQ(htmlscan::FindCommentEnd("->x-->", 0), 5U);
    EXPECT_EQ(htmlscan::FindCommentEnd("--\t>", 0), htmlscan::npos);
    EXPECT_EQ(htmlscan::FindCommentEnd("- a ->", 0), htmlscan::npos);
}

const std::vector<std::string> kPagePieces = {"<body>",
                                              "<BODY bgcolor=1>",
                                              "<title>",
                                              "</title>",
                                              "<p>",
                                              "<P x>",
                                              "<pre>",
                                              "<tr>",
                                              "<td>",
                                              "</td>",
                                              "</tr>",
                                              "<table>",
                                              "</table>",
                                              "<th>",
                                              "<br>",
                                              "<br/>",
                                              "<option>",
                                              "<script>",
                                              "</script>",
                                              "< /script>",
                                              "<!--",
                                              "-->",
                                              "-- >",
                                              "<ol>",
                                              "</ol>",
                                              "<ul>",
                                              "</ul>",
                                              "<li>",
                                              "&amp;",
                                              "&AMP;",
                                              "&#65;",
                                              "&#8217;",
                                              "&eacute;",
                                              "&Eacute;",
                                              "&",
                                              ";",
                                              "&thereforeX;",
                                              "Fax",
                                              "555",
                                              " ",
                                              "  ",
                                              "\r\n",
                                              "\t",
                                              "-",
                                              "<",
                                              ">",
                                              "\x1f",
                                              "a",
                                              std::string(30, 'w'),
                                              "x y z ",
                                              "<b>",
                                              "</ b>",
                                              "<>",
                                              "<!-->",
                                              "\x7f",
                                              "\xe9\x95",
                                              "\x01",
                                              std::string(1, '\0')};

TEST(WholeConversion, AgreesWithTheLiteralRulesOnGeneratedPages) {
    std::mt19937 random(1254);
    std::size_t produced = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string html = round % 4 == 0 ? std::string() : "<body>";
        html += Generate(random, kPagePieces, 1 + round % 150);
        const std::string expected = reference::Convert(html);
        ASSERT_EQ(HtmlToText(html), expected) << html;
        produced += expected.size();
    }
    EXPECT_GT(produced, 100000U);
}

} // namespace
} // namespace tarnwick
