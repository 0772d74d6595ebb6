// Result-page addresses, query terms and the result domains picked out of result pages.
#include "listbuilder/ResultLinks.h"

#include "listbuilder/SearchQuery.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

const std::string kGooglePrefix =
    "http://www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=";

TEST(PageAddress, GooglePagesStartAtZeroAndStepByOneHundred) {
    EXPECT_EQ(FirstPageAddress("Google", "red+fax"), kGooglePrefix + "0&sa=N&q=red+fax");
    EXPECT_EQ(NextPageAddress("Google", "red+fax", 101), kGooglePrefix + "100&sa=N&q=red+fax");
    EXPECT_EQ(NextPageAddress("Google", "red+fax", 201), kGooglePrefix + "200&sa=N&q=red+fax");
}

TEST(PageAddress, YahooPagesStartAtOneAndStepByTwenty) {
    const std::string prefix = "http://search.yahoo.com/search/dir?h=s&xargs=0&p=red+fax&b=";
    EXPECT_EQ(FirstPageAddress("Yahoo", "red+fax"), prefix + "1");
    EXPECT_EQ(NextPageAddress("Yahoo", "red+fax", 21), prefix + "21");
    EXPECT_EQ(NextPageAddress("Yahoo", "red+fax", 41), prefix + "41");
}

TEST(PageAddress, TermsGoInUnescaped) {
    EXPECT_EQ(FirstPageAddress("Google", "a&b=c#d%"), kGooglePrefix + "0&sa=N&q=a&b=c#d%");
}

TEST(SearchQuery, TermsJoinWordsWithPlusAndAddFaxWhenAsked) {
    struct Case {
        std::string phrase;
        bool addFax;
        std::string terms;
    };
    const Case cases[] = {
        {"dental labs", true, "dental+labs+fax"},
        {"dental labs", false, "dental+labs"},
        {"one", true, "one+fax"},
        {"two  spaces", false, "two++spaces"},
        {"", true, "+fax"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SearchTermsFor(c.phrase, c.addFax), c.terms) << c.phrase;
    }
}

TEST(SearchQuery, ResultCountByListIndex) {
    const std::pair<int, std::int32_t> cases[] = {{0, 100},  {1, 200},   {2, 500},  {3, 1000},
                                                  {4, 5000}, {5, 10000}, {-1, 100}, {6, 100}};
    for (const auto& [index, wanted] : cases) {
        EXPECT_EQ(WantedResultsFor(index), wanted) << index;
    }
}

TEST(SearchQuery, EngineByExactListText) {
    EXPECT_EQ(EngineFor(EngineListText(0)), "Google");
    EXPECT_EQ(EngineFor(EngineListText(1)), "Yahoo");
    EXPECT_EQ(EngineFor(EngineListText(-1)), "Google");
    EXPECT_EQ(EngineFor("Yahoo Search"), "Yahoo");
    EXPECT_EQ(EngineFor("yahoo search"), "Google");
    EXPECT_EQ(EngineFor("Yahoo Search "), "Google");
}

struct LinkCase {
    const char* name;
    std::string line;
    std::vector<std::string> accepted;
};

class ResultLine : public testing::TestWithParam<LinkCase> {};

TEST_P(ResultLine, ReducesToDomainOrRejects) {
    std::string foundText;
    const std::vector<std::string> accepted = ExtractResultDomains(GetParam().line, foundText);
    EXPECT_EQ(accepted, GetParam().accepted);
    std::string joined;
    for (const std::string& domain : accepted) {
        joined += domain;
    }
    EXPECT_EQ(foundText, joined);
}

const LinkCase kLinkCases[] = {
    {"ThreeLabelsCom", R"(<a href="http://www.acme.com/about/fax.html">Acme</a>)", {"acme.com"}},
    {"ThreeLabelsNet", R"(<a href='http://shop.widgets.net'>)", {"widgets.net"}},
    {"ThreeLabelsOrg", R"(<a href=http://www.charity.org>)", {"charity.org"}},
    {"CapitalExtension", R"(<a href="http://www.BIG.COM/">)", {"BIG.COM"}},
    {"TitleCaseExtension", R"(<a href="http://www.Title.Net/x">)", {"Title.Net"}},
    {"MixedExtensionRejected", R"(<a href="http://www.odd.cOm/">)", {}},
    {"MixedExtensionRejected2", R"(<a href="http://www.odd.coM/">)", {}},
    {"TwoLabelsRejected", R"(<a href="http://acme.com/">)", {}},
    {"FourLabelsRejected", R"(<a href="http://a.b.acme.com/">)", {}},
    {"OtherExtensionRejected", R"(<a href="http://www.acme.co.uk/">)", {}},
    {"GovWithComInPath", R"(<a href="http://www.agency.gov/links/partner.com.html">)", {"agency.gov"}},
    {"GovWithNetLater", R"(<a href="http://www.agency.gov/">see .NET</a>)", {"agency.gov"}},
    {"GovAloneRejected", R"(<a href="http://www.agency.gov/contact">)", {}},
    {"CapitalScheme", R"(<a href="HTTP://www.upper.com/">)", {"upper.com"}},
    {"MixedScheme", R"(<a href="HtTp://www.mixed.org/">)", {"mixed.org"}},
    {"GoogleLinkRejected", R"(<a href="http://www.google.com/search?q=x">)", {}},
    {"GoogleAnyCaseRejected", R"(<a href="http://news.GOOGLE.COM/">)", {}},
    {"YahooLinkRejected", R"(<a href="http://dir.yahoo.com/">)", {}},
    {"ImageHostRejected", R"(<img src="http://us.yimg.net/i.gif">)", {}},
    {"EngineInPathRejected", R"(<a href="http://www.acme.com/?ref=google.com">)", {}},
    {"HttpsIsNoLink", R"(<a href="https://www.secure.com/">)", {}},
    {"MailtoRejected", R"(<a href="http://a.MailTo:x.com">)", {}},
    {"SchemeRemnantRejected", R"(<a href="http://w.ttp:.com">)", {}},
    {"LessThanRejected", R"(http://www.a<b.com)", {}},
    {"SpacesAndQuotesRemoved", R"(http://www. spaced ".com)", {"spaced.com"}},
    {"HostEndsAtGreaterThan", R"(http://www.close.com>text.org)", {"close.com"}},
    {"NoDotAfterFirstLabel", R"(http://localhost/x.com)", {}},
    {"EmptyExtensionRejected", R"(http://www.acme./x.com)", {}},
    {"PortKeepsExtensionWrong", R"(http://www.acme.com:8080/)", {}},
    {"LoneLineFeedStaysInLine", "http://www.feed.com\n<br>", {}},
    {"CarriageReturnEndsLine", "http://www.feed.com\r<br>", {"feed.com"}},
};

INSTANTIATE_TEST_SUITE_P(EdgeCases, ResultLine, testing::ValuesIn(kLinkCases),
                         [](const testing::TestParamInfo<LinkCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ResultDomains, KeepsPageOrderAndSkipsRepeatsIgnoringCase) {
    const std::string page = R"(<html><body>
<a href="http://www.alpha.com/one">1</a> <a href="http://www.beta.net/">2</a>
<a href="http://WWW.ALPHA.COM/two">3</a><a href="http://shop.alpha.com/">4</a>
<a href="http://www.gamma.org/">5</a></body></html>)";
    std::string foundText;
    EXPECT_EQ(ExtractResultDomains(page, foundText),
              (std::vector<std::string>{"alpha.com", "beta.net", "gamma.org"}));
    EXPECT_EQ(foundText, "alpha.combeta.netgamma.org");
}

TEST(ResultDomains, RepeatIsAnyTextInsideEarlierResults) {
    // "ha.com" occurs inside "alpha.com", and "a.combeta" spans two earlier results.
    std::string foundText = "alpha.combeta.net";
    const std::string page =
        "http://www.ha.com/ http://www.a.combeta.net/ http://www.Alpha.Com/ http://www.new.com/";
    EXPECT_EQ(ExtractResultDomains(page, foundText), std::vector<std::string>{"new.com"});
    EXPECT_EQ(foundText, "alpha.combeta.netnew.com");
}

TEST(ResultDomains, PageOfRepeatsAcceptsNothing) {
    std::string foundText;
    const std::string page = R"(<a href="http://www.one.com/">a</a><a href="http://www.two.com/">b</a>)";
    ASSERT_EQ(ExtractResultDomains(page, foundText).size(), 2u);
    const std::string before = foundText;
    EXPECT_TRUE(ExtractResultDomains(page, foundText).empty());
    EXPECT_EQ(foundText, before);
}

TEST(ResultDomains, EveryLinkOnOneLineIsSeen) {
    std::string foundText;
    const std::string page = "http://www.a1.com http://www.a2.com HTTP://www.a3.com http://www.a4.com";
    EXPECT_EQ(ExtractResultDomains(page, foundText),
              (std::vector<std::string>{"a1.com", "a2.com", "a3.com", "a4.com"}));
}

TEST(ResultDomains, EmptyAndLinklessPagesGiveNothing) {
    std::string foundText = "kept.com";
    EXPECT_TRUE(ExtractResultDomains("", foundText).empty());
    EXPECT_TRUE(ExtractResultDomains("<p>no links at all .com</p>\r\n\r\n", foundText).empty());
    EXPECT_EQ(foundText, "kept.com");
}

TEST(ResultDomains, HighBytesPassThroughUntouched) {
    std::string foundText;
    const std::string page = "\xE9t\xE9 http://www.caf\xE9.com/ \x80\xFF";
    EXPECT_EQ(ExtractResultDomains(page, foundText), std::vector<std::string>{"caf\xE9.com"});
}

} // namespace
} // namespace tarnwick
