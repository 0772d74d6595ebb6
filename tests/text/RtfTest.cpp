// Tests of the RTF reader: text and format of the subset the help document uses, malformed
// input, the HTML rendering and the shipped help document itself.
#include "text/Rtf.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace tarnwick {
namespace {

std::string PlainOf(std::string_view rtf) {
    return RtfPlainText(ReadRtf(rtf));
}

struct TextCase {
    const char* name;
    std::string rtf;
    std::string text;
};

class RtfText : public testing::TestWithParam<TextCase> {};

TEST_P(RtfText, GivesPlainText) {
    EXPECT_EQ(PlainOf(GetParam().rtf), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Subset, RtfText,
    testing::Values(TextCase{"Plain", R"({\rtf1 Hello})", "Hello"},
                    TextCase{"Paragraphs", R"({\rtf1 One\par Two\par})", "One\nTwo\n"},
                    TextCase{"EscapedSymbols", R"({\rtf1 \{a\}\\})", "{a}\\"},
                    TextCase{"HexEscape", R"({\rtf1 caf\'e9 \'93q\'94})", "caf\xE9 \x93q\x94"},
                    TextCase{"Tab", R"({\rtf1 a\tab b})", "a\tb"},
                    TextCase{"SpaceEndsControlWordOnly", R"({\rtf1 \b  bold})", " bold"},
                    TextCase{"DigitsEndControlWord", R"({\rtf1 \fs20x})", "x"},
                    TextCase{"FontTableSkipped", R"({\rtf1{\fonttbl{\f0\fswiss Verdana;}}Hi})", "Hi"},
                    TextCase{"ColourTableAndInfoSkipped",
                             R"({\rtf1{\colortbl;\red0\green0\blue0;}{\info{\title T}}Hi})", "Hi"},
                    TextCase{"StarredDestinationSkipped", R"({\rtf1{\*\generator Pad 1.0;}Hi})", "Hi"},
                    TextCase{"UnknownWordIgnored", R"({\rtf1\foo123 \bar-4 Hi})", "Hi"},
                    TextCase{"UnicodeInCodePage", R"({\rtf1 \u8212?x\u233?})", "\x97x\xE9"},
                    TextCase{"UnicodeOutsideCodePage", R"({\rtf1 \u12354 Xy})", "?y"},
                    TextCase{"UnicodeNegative", R"({\rtf1 \u-4064?z})", "?z"},
                    TextCase{"UnicodeFallbackOfTwo", R"({\rtf1\uc2 \u8220\'93\'93a})",
                             "\x93"
                             "a"},
                    TextCase{"UnicodeNoFallback", R"({\rtf1\uc0 \u233 b})",
                             "\xE9"
                             "b"},
                    TextCase{"LineBreak", R"({\rtf1 a\line b})", "a\nb"},
                    TextCase{"RawLineEndsIgnored", "{\\rtf1 a\r\nb\n}", "ab"},
                    TextCase{"EscapedLineEndIsParagraph", "{\\rtf1 a\\\nb}", "a\nb"},
                    TextCase{"SpecialSymbols", R"({\rtf1 a\~b\_c\-d})",
                             "a\xA0"
                             "b-cd"},
                    TextCase{"NamedPunctuation",
                             R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})",
                             "\x97\x96\x95\x91\x92\x93\x94"},
                    TextCase{"BinaryDataSkipped", R"({\rtf1 a\bin3 {}}b})", "ab"},
                    TextCase{"ParagraphInSkippedGroupIgnored", R"({\rtf1 a{\header x\par y}b})", "ab"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Malformed, RtfText,
    testing::Values(TextCase{"Empty", "", ""}, TextCase{"OnlyOpening", "{{{{", ""},
                    TextCase{"StrayClosing", "}}}a}", "a"}, TextCase{"LoneBackslash", "{\\rtf1 a\\", "a"},
                    TextCase{"TruncatedHex", "{\\rtf1 a\\'", "a"}, TextCase{"HalfHex", "{\\rtf1 a\\'4", "a"},
                    TextCase{"BadHexReadAsText", R"({\rtf1 \'zz})", "zz"},
                    TextCase{"HugeParameter", R"({\rtf1\fs99999999999999999999 a\u99999999999999?b})", "a?b"},
                    TextCase{"HugeBinaryLength", R"({\rtf1 a\bin999999999 abc})", "a"},
                    TextCase{"NegativeBinaryLength", R"({\rtf1 a\bin-5 bc})", "abc"},
                    TextCase{"ControlBytesDropped", std::string("{\\rtf1 a\0\x01\x1F\\'00b}", 17), "ab"},
                    TextCase{"NotRtfAtAll", "just text", "just text"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RtfMalformed, DeepNestingKeepsBalanceAndFormat) {
    constexpr int depth = 200000;
    std::string rtf = "{\\rtf1 ";
    for (int i = 0; i < depth; ++i) {
        rtf += "{\\b ";
    }
    rtf += "x" + std::string(depth, '}') + "y}";
    const RtfDocument document = ReadRtf(rtf);
    EXPECT_EQ(RtfPlainText(document), "xy");
    ASSERT_EQ(document.paragraphs.size(), 1u);
    const auto& runs = document.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].bold);
    EXPECT_FALSE(runs[1].bold);
}

TEST(RtfMalformed, VeryLongControlWordIsOneUnknownWord) {
    EXPECT_EQ(PlainOf("{\\rtf1 \\" + std::string(100000, 'a') + " z}"), "z");
}

TEST(RtfFormat, GroupsScopeCharacterFormat) {
    const RtfDocument document = ReadRtf(R"({\rtf1 a{\b b{\i\ul c}\fs28 d}e\i f\i0 g})");
    ASSERT_EQ(document.paragraphs.size(), 1u);
    const std::vector<RtfRun> expected = {{"a", false, false, false, 24}, {"b", true, false, false, 24},
                                          {"c", true, true, true, 24},    {"d", true, false, false, 28},
                                          {"e", false, false, false, 24}, {"f", false, true, false, 24},
                                          {"g", false, false, false, 24}};
    EXPECT_EQ(document.paragraphs[0].runs, expected);
}

TEST(RtfFormat, SwitchesOffAndPlainReset) {
    const RtfDocument document = ReadRtf(R"({\rtf1\b\i\ul\fs40 a\b0\ulnone b\plain c})");
    const std::vector<RtfRun> expected = {
        {"a", true, true, true, 40}, {"b", false, true, false, 40}, {"c", false, false, false, 24}};
    EXPECT_EQ(document.paragraphs[0].runs, expected);
}

TEST(RtfFormat, ParagraphTakesFormatInForceAtItsMark) {
    const RtfDocument document = ReadRtf(R"({\rtf1\qc Title\par\pard\li720 Indented\qr\par\pard Body})");
    ASSERT_EQ(document.paragraphs.size(), 3u);
    EXPECT_EQ(document.paragraphs[0].align, RtfAlign::Centre);
    EXPECT_EQ(document.paragraphs[1].align, RtfAlign::Right);
    EXPECT_EQ(document.paragraphs[1].leftIndentTwips, 720);
    EXPECT_EQ(document.paragraphs[2].align, RtfAlign::Left);
    EXPECT_EQ(document.paragraphs[2].leftIndentTwips, 0);
}

TEST(RtfHtml, EscapesMarkupAndWritesOnlyAscii) {
    std::string bytes;
    for (int c = 0x20; c < 0x100; ++c) {
        if (c != '\\' && c != '{' && c != '}') {
            bytes.push_back(static_cast<char>(c));
        }
    }
    const std::string html = RtfToHtml(ReadRtf("{\\rtf1 " + bytes + "}"));
    for (const char c : html) {
        ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    }
    EXPECT_NE(html.find("&lt;"), std::string::npos);
    EXPECT_NE(html.find("&amp;"), std::string::npos);
    EXPECT_NE(html.find("&quot;"), std::string::npos);
    EXPECT_NE(html.find("&#8220;"), std::string::npos); // 0x93, a Windows-1252 quote
    EXPECT_NE(html.find("&#233;"), std::string::npos);
    EXPECT_NE(html.find("&lt;=&gt;"), std::string::npos);
}

TEST(RtfHtml, BlankLinesStayBlankLines) {
    const std::string html = RtfToHtml(ReadRtf(R"({\rtf1 a\par\par b\par})"));
    const auto blank = html.find("-qt-paragraph-type:empty;\"><br /></p>");
    ASSERT_NE(blank, std::string::npos);
    EXPECT_LT(html.find(">a</span>"), blank);
    EXPECT_GT(html.find(">b</span>"), blank);
}

TEST(RtfHtml, CarriesFormatAndParagraphs) {
    const std::string html =
        RtfToHtml(ReadRtf(R"({\rtf1\qc{\b\fs29 T}\par\pard\li1440 {\i\ul x}\line y\par})"));
    EXPECT_NE(html.find("text-align:center"), std::string::npos);
    EXPECT_NE(html.find("font-size:14.5pt; font-weight:bold;\">T</span>"), std::string::npos);
    EXPECT_NE(html.find("margin-left:96px"), std::string::npos);
    EXPECT_NE(html.find("font-style:italic; text-decoration:underline;\">x</span>"), std::string::npos);
    EXPECT_NE(html.find("<br />y"), std::string::npos);
    // Two paragraph marks make two paragraphs: nothing follows the last mark.
    EXPECT_EQ(html.find("<p", html.find("<p", html.find("<p") + 1) + 1), std::string::npos);
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

TEST(RtfHelpDocument, ReadsToTheExpectedText) {
    const std::string rtf = ReadFile(TARNWICK_DATA_DIR "/Help.rtf");
    const std::string expected = ReadFile(TARNWICK_TEST_DATA_DIR "/help_expected.txt");
    ASSERT_FALSE(rtf.empty());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(RtfPlainText(ReadRtf(rtf)), expected);
}

} // namespace
} // namespace tarnwick
