// Conversion cases: each tag of the dispatch, white-space folding, table rows, lists,
// comments, scripts, the title, the line length, references and the end of the input.
#include "text/HtmlToText.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <string>
#include <unistd.h>

namespace tarnwick {
namespace {

struct Case {
    const char* name;
    std::string html;
    std::string text;
};

std::string Repeat(const std::string& part, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += part;
    }
    return result;
}

const std::string kBullet = "\x95";

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class Conversion : public testing::TestWithParam<Case> {};

TEST_P(Conversion, GivesTheText) {
    EXPECT_EQ(HtmlToText(GetParam().html), GetParam().text);
}

std::string CaseName(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Tags, Conversion,
    testing::Values(
        Case{"NoBodyGivesOnlyTheTitle", "<html><head><title>Fax list</title></head>text here",
             "Fax list\r\n\r\n"},
        Case{"NoBodyNoTitleGivesNothing", "<html>Fax 555-1234 here</html>\r\n", ""},
        Case{"TitleIsCopiedRaw", "<title>A &amp; B  c</title><body>x y", "A &amp; B  c\r\n\r\nx y"},
        Case{"TitleWithoutTagStopsBeforeLastCharacter", "<body><title>abcd", "abc\r\n\r\nd"},
        Case{"TitleInScriptHasNoBlankLine", "<body><script><title>ab</title></script>x y", "abx y"},
        Case{"BodyIsRecognisedByItsFirstFourLetters", "<BodyX bgcolor=white>ab", "ab"},
        Case{"BodyInScriptIsIgnored", "<script><body></script>ab", ""},
        Case{"SecondParagraphAddsNothing", "<body>x<p><P>y z", "x\r\n\r\ny z"},
        Case{"ParagraphBeforeTextAddsNothing", "<body><p>x y", "x y"},
        Case{"ParagraphWithAttributes", "<body>x<p class=a>y z", "x\r\n\r\ny z"},
        Case{"PreIsNotAParagraph", "<body>x<pre>y z", "xy z"},
        Case{"ClosingParagraphDoesNothing", "<body>x</p>y z", "xy z"},
        Case{"LineBreakOnceAfterText", "<body>a<br><BR>b c", "a\r\nb c"},
        Case{"LineBreakBeforeTextAddsNothing", "<body><br>a b", "a b"},
        Case{"LineBreakWithAttributesIsNotRecognised", "<body>a<br clear=all>b<br/>c d", "abc d"},
        Case{"TableStartsALine", "<body>a<tablex>b c", "a\r\nb c"},
        Case{"CellWithoutRowGoesOnItsOwnLine", "<body>a<th align=left>b c", "a\r\nb c"},
        Case{"OptionsGoOnLinesWithATab", "<body><select><option>One<option value=2>Two</select>ok",
             "\r\n\tOne\r\n\tTwook"},
        Case{"ScriptHidesTextButNotDashes", "<body>a<script>var x = 1; y--;</script>b c", "a--b c"},
        Case{"ScriptClosedWithSpacesInTheTag", "<body>a<script>x</ s C r i p t>b c", "ab c"},
        Case{"ScriptClosedByTrimmedTag", "<body>a<script type=x>x< /script>b c", "ab c"},
        Case{"UnknownTagsDoNothing", "<body><b>Fax</b>:<a href=x>555</a>ok", "Fax:555ok"},
        Case{"RowBreaksBeforeTheBody", "<html><tr><td>a</td></tr><body>x y", "\r\nx y"},
        Case{"ListMarkersBeforeTheBody", "<ol><li>a</ol><body>x y", "\r\n\r\n\r\n1. x y"},
        Case{"OptionKeepsTheBreakFlags", "<body>a<br><option><br>b c", "a\r\n\r\n\tb c"},
        Case{"CopiedTitleKeepsTheParagraphFlag", "<body>a<p><title>t</title><p>b c",
             "a\r\n\r\nt\r\n\r\nb c"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    WhiteSpace, Conversion,
    testing::Values(Case{"LineEndAndSpacesFoldToOneSpace", "<body>a\r\n  b", "a b"},
                    Case{"TabIsASpace", "<body>a\tb c", "a b c"},
                    Case{"LineEndAfterTagJoinsText", "<body>Fax</b>\r\n555 ok", "Fax555 ok"},
                    Case{"SpaceAfterLineEndAfterTagGivesOneSpace", "<body>Fax</b>\r\n 555 ok", "Fax 555 ok"},
                    Case{"TabAfterTagJoinsText", "<body>a</b>\tb c", "ab c"},
                    Case{"SpaceBetweenTagsGivesNothing", "<body>a</b>   <i>b c", "ab c"},
                    Case{"SpaceAfterTagGivesOneSpace", "<body>a</b> b c", "a b c"},
                    Case{"UnitSeparatorIsSkipped",
                         "<body>a\x1f"
                         "b c",
                         "ab c"},
                    Case{"ControlCharacterCountsAsText", "<body>\r\n<p>x y", "\r\n\r\nx y"},
                    Case{"LongLineBreaksAtTheNextSpace", "<body>" + std::string(74, 'a') + " b c",
                         std::string(74, 'a') + " \r\nb c"},
                    Case{"ShorterLineDoesNotBreak", "<body>" + std::string(73, 'a') + " bc",
                         std::string(73, 'a') + " bc"},
                    Case{"FoldedSpaceIsNotCounted", "<body>" + std::string(69, 'a') + "    bbb c",
                         std::string(69, 'a') + " bbb c"},
                    Case{"LineLengthCountsInsideScripts",
                         "<body>z<script>" + Repeat("a -", 40) + "</script>ok",
                         "z" + std::string(37, '-') + "\r\n---ok"},
                    Case{"LongWordNeverBreaks", "<body>" + std::string(200, 'w') + "<i>ok",
                         std::string(200, 'w') + "ok"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Tables, Conversion,
    testing::Values(
        Case{"ShortRowOnOneLine", "<body><table><tr><td>Tel</td><td>Fax</td></tr></table>ok",
             "\r\nTel   Faxok"},
        Case{"RowOf64CharactersIsShort",
             "<body><table><tr><td>" + std::string(61, 'a') + "</td><td>Fax</td></tr></table>ok",
             "\r\n" + std::string(61, 'a') + "   Faxok"},
        Case{"RowOf65CharactersIsLong",
             "<body><table><tr><td>" + std::string(62, 'a') + "</td><td>Fax</td></tr></table>ok",
             "\r\n\r\n" + std::string(62, 'a') + "\r\nFaxok"},
        Case{"LineBreakInCellMakesRowLong", "<body><table><tr><td>Tel<br>x</td><td>Fax</td></tr></table>ok",
             "\r\n\r\nTel\r\nx\r\nFaxok"},
        Case{"ParagraphInCellMakesRowLong", "<body><table><tr><td>Tel<p align=left>x</td><td>Fax</td></tr>ok",
             "\r\n\r\nTel\r\n\r\nx\r\nFaxok"},
        Case{"HeaderCellCountsOnToTheNextDataCellEnd",
             "<body><table><tr><th>" + std::string(40, 'a') + "</th><th>b</th></tr><tr><td>" +
                 std::string(30, 'c') + "</td></tr></table>ok",
             "\r\n\r\n" + std::string(40, 'a') + "\r\nb\r\n" + std::string(30, 'c') + "ok"},
        Case{"HeaderCellWithoutDataCellLosesTheRest", "<body>x<tr><th>a</th></tr>y z", "x"},
        Case{"HeaderCellsAndAttributes", "<body><TABLE><TR class=r><TH>Tel</Th><td width=5>Fax</td></TR>ok",
             "\r\nTel   Faxok"},
        Case{"NestedTableMakesRowLong",
             "<body>q<table><tr><td>a</td><table></table><td>b</td></tr></table>ok",
             "q\r\n\r\n\r\na\r\n\r\nbok"},
        Case{"RowEndsOnlyAtExactTagText",
             "<body><table><tr><td>a</td></tr ><td>" + std::string(70, 'b') + "</td></TABLE>ok",
             "\r\n\r\na\r\n" + std::string(70, 'b') + "ok"},
        Case{"CellClosedWithSpacesInTheTag", "<body><table><tr><td>Tel</ t d ><br><td>Fax</td></tr>ok",
             "\r\nTel\r\n   Faxok"},
        Case{"SpacesBetweenCellsAreNotCounted",
             "<body><table><tr>" + Repeat("<td>a</td>" + std::string(30, ' '), 3) + "</tr>ok",
             "\r\na   a   aok"},
        Case{"EachRowDecidesAgain",
             "<body><table><tr><td>a</td><td>b</td></tr><tr><td>" + std::string(70, 'c') +
                 "</td><td>d</td></tr></table>ok",
             "\r\na   b\r\n\r\n" + std::string(70, 'c') + "\r\ndok"},
        Case{"TextBeforeTableBreaksTheLine", "<body>x<table><tr><td>a</td></tr></table>ok", "x\r\n\r\naok"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Lists, Conversion,
    testing::Values(Case{"OrderedItemsAreNumbered", "<body>t<ol><li>a<li>b<LI value=3>c</ol>end it",
                         "t\r\n\r\n\r\n1. a\r\n2. b\r\n3. c\r\n\r\nend it"},
                    Case{"SecondOrderedListGoesOnCounting", "<body>t<ol><li>a<ol><li>b</ol>ok",
                         "t\r\n\r\n\r\n1. a\r\n\r\n\r\n2. b\r\n\r\nok"},
                    Case{"ClosedOrderedListStartsAgain", "<body>t<ol><li>a</ol><ol><li>b</ol>ok",
                         "t\r\n\r\n\r\n1. a\r\n\r\n\r\n\r\n\r\n1. b\r\n\r\nok"},
                    Case{"UnorderedItemsHaveBullets", "<body>t<ul><li>a<li>b</ul>end it",
                         "t\r\n\r\n\r\n" + kBullet + " a\r\n" + kBullet + " b\r\n\r\nend it"},
                    Case{"ListEndBeforeTextIsIgnored", "<body><ol></ol><li>a b", "\r\n\r\n\r\n1. a b"},
                    Case{"ListEndAfterParagraphAddsNothing", "<body>t<ul><li>a<p></ul>b c",
                         "t\r\n\r\n\r\n" + kBullet + " a\r\n\r\nb c"},
                    Case{"ItemMarkerCountsTwoColumns", "<body><ul><li>" + std::string(72, 'a') + " b c",
                         "\r\n\r\n\r\n" + kBullet + " " + std::string(72, 'a') + " \r\nb c"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Comments, Conversion,
    testing::Values(Case{"CommentIsHidden", "<body>x<!-- a - b -->after it", "xafter it"},
                    Case{"CommentBeforeTextIsHidden", "<body><!-- note -->x y", "x y"},
                    Case{"CommentClosesWithSpacesBeforeTheBracket", "<body>x<!-- a -- >y z", "xy z"},
                    Case{"CommentDoesNotCloseAtSingleDash", "<body>x<!-- a -> b -->y z", "xy z"},
                    Case{"TagsInsideCommentAreHidden", "<body>x<!-- <p>a<br> b -->y z", "xy z"},
                    Case{"DashOnlyCommentBeforeTextStaysOpen", "<body><!-- -- -->hidden -- >shown-->yes it",
                         "shown-->yes it"},
                    Case{"CommentBeforeBodyIsNotAComment", "<!-- <body> -->x y", " >x y"},
                    Case{"CharacterAfterOpenerIsSkipped", "<body>x<!---->y -->z z", "xz z"},
                    Case{"UnclosedCommentEndsTheConversion", "<body>a<!-- b - c", "a"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    References, Conversion,
    testing::Values(Case{"Amp", "<body>[&amp;]ok", "[&]ok"},
                    Case{"AmpInCapitals", "<body>[&AMP;]ok", "[&]ok"},
                    Case{"QuotIsEmpty", "<body>[&quot;]ok", "[]ok"},
                    Case{"NumericDecimal", "<body>[&#65;]ok", "[A]ok"},
                    Case{"NumberWithoutHash", "<body>[&65;]ok", "[A]ok"},
                    Case{"UnknownNameIsEmpty", "<body>[&hellip;]ok", "[]ok"},
                    Case{"HexIsUnknown", "<body>[&#x41;]ok", "[]ok"},
                    Case{"LoneAmpersandIsCopied", "<body>[& x]ok", "[& x]ok"},
                    Case{"Superscript", "<body>[&sup1;]ok", "[\xb9]ok"},
                    Case{"NonBreakingSpace", "<body>[&nbsp;]ok", "[\xa0]ok"},
                    Case{"LowercaseAccent", "<body>[&eacute;]ok", "[\xe9]ok"},
                    Case{"CapitalAccent", "<body>[&Eacute;]ok", "[\xc9]ok"},
                    Case{"AllCapitalsAccent", "<body>[&EACUTE;]ok", "[\xc9]ok"},
                    Case{"OneCapitalLaterInTheName", "<body>[&eAcute;]ok", "[\xc9]ok"},
                    Case{"SixLetterNameIsDecoded", "<body>[&frac14;]ok", "[\xbc]ok"},
                    Case{"SevenCharacterNameIsNotDecoded", "<body>[&#000065;]ok", "[&#000065;]ok"},
                    Case{"LongNameIsNotDecoded", "<body>[&thereforeX;]ok", "[&thereforeX;]ok"},
                    Case{"AmpersandBeforeSemicolonIsLiteral", "<body>[&a&amp;]ok", "[&a&]ok"},
                    Case{"AmpersandAtTheEnd", "<body>x &", "x &"}, Case{"EmptyName", "<body>[&;]ok", "[]ok"},
                    Case{"ReferenceInScriptIsHidden", "<body>a<script>&lt;</script>b c", "ab c"},
                    Case{"RightQuotationMark", "<body>it&#8217;s ok", "it\x92s ok"},
                    Case{"EuroSign", "<body>[&#8364;]ok", "[\x80]ok"},
                    Case{"CharacterWithoutByteIsAQuestionMark", "<body>[&#9731;]ok", "[?]ok"},
                    Case{"TextAfterLargeNumberIsKept", "<body>a&#8212;b &#99999; c",
                         "a\x97"
                         "b ? c"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    EndOfInput, Conversion,
    testing::Values(Case{"OpenBracketAtTheEnd", "<body>ab<", "ab"},
                    Case{"UnclosedTagAtTheEnd", "<body>ab<i", "ab"},
                    Case{"TagClosingOnTheLastCharacter", "<body>ab<i>", "ab"},
                    Case{"OneCharacterAfterATag", "<body>ab<i>c", "ab"},
                    Case{"TwoCharactersAfterATag", "<body>ab<i>cd", "abcd"},
                    Case{"WhiteSpaceRunToTheEnd", "<body>ab<i>  \r\n", "ab"},
                    Case{"WhiteSpaceRunUpToTheLastCharacter", "<body>ab<i>  c", "ab"},
                    Case{"WhiteSpaceRunBeforeText", "<body>ab<i>  cd", "ab cd"},
                    Case{"UnclosedRowLosesTheRest", "<body>x<table><tr><td>a b c d e f", "x\r\n"},
                    Case{"RowClosingOnTheLastCharacter", "<body>x<tr><td>a</td></tr>", "x"},
                    Case{"CommentOpenerAtTheEnd", "<body>ab<!--", "ab"},
                    Case{"TextRunsToTheLastCharacter", "<body>a b", "a b"}, Case{"EmptyInput", "", ""},
                    Case{"SingleBracket", "<", ""}),
    CaseName);

TEST(HtmlToTextFile, WritesTheTextWithALineBreak) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tarnwick_text_out_" + std::to_string(getpid()) + ".txt");
    {
        std::ofstream old(path);
        old << "previous page content that is longer than the text";
    }
    EXPECT_EQ(HtmlToText("<body>Fax 555<br>x y", path.string()), "Fax 555\r\nx y");
    std::ifstream file(path, std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(written, "Fax 555\r\nx y\r\n");
    std::filesystem::remove(path);
}

TEST(HtmlToTextFile, UnwritablePathStillGivesTheText) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "tarnwick_no_such_folder" / "deeper" / "out.txt";
    EXPECT_EQ(HtmlToText("<body>Fax 555 ok", path.string()), "Fax 555 ok");
    EXPECT_FALSE(std::filesystem::exists(path));
}

struct Named {
    const char* name;
    int code;
};

TEST(DecodeEntity, NamedCharacters) {
    const Named table[] = {
        {"amp", '&'},    {"lt", '<'},     {"gt", '>'},     {"nbsp", 160},   {"iexcl", 161},  {"cent", 162},
        {"pound", 163},  {"curren", 164}, {"yen", 165},    {"brvbar", 166}, {"sect", 167},   {"uml", 168},
        {"copy", 169},   {"ordf", 170},   {"laquo", 171},  {"not", 172},    {"shy", 173},    {"reg", 174},
        {"macr", 175},   {"deg", 176},    {"plusmn", 177}, {"sup2", 178},   {"sup3", 179},   {"acute", 180},
        {"micro", 181},  {"para", 182},   {"middot", 183}, {"cedil", 184},  {"sup1", 185},   {"ordm", 186},
        {"raquo", 187},  {"frac14", 188}, {"frac12", 189}, {"frac34", 190}, {"iquest", 191}, {"times", 215},
        {"szlig", 223},  {"divide", 247}, {"yuml", 255},   {"agrave", 224}, {"aacute", 225}, {"acirc", 226},
        {"atilde", 227}, {"auml", 228},   {"aring", 229},  {"aelig", 230},  {"ccedil", 231}, {"egrave", 232},
        {"eacute", 233}, {"ecirc", 234},  {"euml", 235},   {"igrave", 236}, {"iacute", 237}, {"icirc", 238},
        {"iuml", 239},   {"eth", 240},    {"ntilde", 241}, {"ograve", 242}, {"oacute", 243}, {"ocirc", 244},
        {"otilde", 245}, {"ouml", 246},   {"oslash", 248}, {"ugrave", 249}, {"uacute", 250}, {"ucirc", 251},
        {"uuml", 252},   {"yacute", 253}, {"thorn", 254},
    };
    for (const Named& entry : table) {
        EXPECT_EQ(DecodeEntity(entry.name), std::string(1, static_cast<char>(entry.code))) << entry.name;
    }
}

TEST(DecodeEntity, AccentedCapitalsAndOtherNamesInCapitals) {
    EXPECT_EQ(DecodeEntity("Agrave"), "\xc0");
    EXPECT_EQ(DecodeEntity("OUML"), "\xd6");
    EXPECT_EQ(DecodeEntity("Oslash"), "\xd8");
    EXPECT_EQ(DecodeEntity("THORN"), "\xde");
    EXPECT_EQ(DecodeEntity("Yuml"), "\xff");
    EXPECT_EQ(DecodeEntity("NBSP"), "\xa0");
    EXPECT_EQ(DecodeEntity("Times"), "\xd7");
}

TEST(DecodeEntity, NumbersAndOddNames) {
    EXPECT_EQ(DecodeEntity("#65"), "A");
    EXPECT_EQ(DecodeEntity("0065"), "A");
    EXPECT_EQ(DecodeEntity("#255"), "\xff");
    EXPECT_EQ(DecodeEntity("#0"), std::string(1, '\0'));
    EXPECT_EQ(DecodeEntity("#amp"), "&");
    EXPECT_EQ(DecodeEntity("quot"), "");
    EXPECT_EQ(DecodeEntity(""), "");
    EXPECT_EQ(DecodeEntity("#"), "");
    EXPECT_EQ(DecodeEntity("#x41"), "");
    EXPECT_EQ(DecodeEntity("#-65"), "");
    EXPECT_EQ(DecodeEntity("#6.5"), "");
    EXPECT_EQ(DecodeEntity("hellip"), "");
}

TEST(DecodeEntity, LargeNumbersBecomeTheSameWindowsCharacter) {
    const Named table[] = {
        {"#8216", 145}, {"#8217", 146}, {"#8220", 147}, {"#8221", 148}, {"#8226", 149}, {"#8211", 150},
        {"#8212", 151}, {"#8364", 128}, {"#8230", 133}, {"#8482", 153}, {"#8218", 130}, {"#402", 131},
        {"#8222", 132}, {"#8224", 134}, {"#8225", 135}, {"#710", 136},  {"#8240", 137}, {"#352", 138},
        {"#8249", 139}, {"#338", 140},  {"#381", 142},  {"#732", 152},  {"#353", 154},  {"#8250", 155},
        {"#339", 156},  {"#382", 158},  {"#376", 159},
    };
    for (const Named& entry : table) {
        EXPECT_EQ(DecodeEntity(entry.name), std::string(1, static_cast<char>(entry.code))) << entry.name;
    }
    EXPECT_EQ(DecodeEntity("#256"), "?");
    EXPECT_EQ(DecodeEntity("#9731"), "?");
    EXPECT_EQ(DecodeEntity("#99999999999999999999999999"), "?");
}

TEST(RemoveSpaces, RemovesOnlySpaces) {
    EXPECT_EQ(RemoveSpaces(" a b\t c  "), "ab\tc");
    EXPECT_EQ(RemoveSpaces("   "), "");
    EXPECT_EQ(RemoveSpaces(""), "");
    EXPECT_EQ(RemoveSpaces("/ T D"), "/TD");
}

} // namespace
} // namespace tarnwick
