// robots.txt: RFC 9309's own examples (groups, longest match, "*" and "$", percent-encoding),
// the lines around them that must not change the answer, the size limit, Crawl-delay, what a
// fetch that did not answer 2xx means, and the bounded memory of a run.
#include "harvest/RobotsTxt.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

struct PathCase {
    std::string path;
    bool allowed;
};

void ExpectPaths(const RobotsTxt& robots, const std::vector<PathCase>& cases, const std::string& label) {
    for (const PathCase& c : cases) {
        EXPECT_EQ(robots.IsAllowed(c.path), c.allowed) << label << " path: " << c.path;
    }
}

TEST(RobotsTxtRfc, GroupsOfOneAgentAreMerged) {
    const std::string text = "user-agent: ExampleBot\ndisallow: /foo\ndisallow: /bar\n\n"
                             "user-agent: ExampleBot\ndisallow: /baz\n";
    ExpectPaths(RobotsTxt::Parse(text, "examplebot"),
                {{"/foo", false}, {"/bar/x", false}, {"/baz", false}, {"/qux", true}}, "merged");
}

TEST(RobotsTxtRfc, TheSimpleExampleAnswersEachAgent) {
    const std::string text =
        "User-Agent: *\nDisallow: *.gif$\nDisallow: /example/\nAllow: /publications/\n\n"
        "User-Agent: foobot\nDisallow:/\nAllow:/example/page.html\nAllow:/example/allowed.gif\n\n"
        "User-Agent: barbot\nUser-Agent: bazbot\nDisallow: /example/page.html\n\n"
        "User-Agent: quxbot\n\nEOF\n";
    ExpectPaths(RobotsTxt::Parse(text, "foobot"),
                {{"/", false},
                 {"/example/page.html", true},
                 {"/example/allowed.gif", true},
                 {"/example/other.html", false},
                 {"/publications/", false}},
                "foobot");
    for (const char* agent : {"barbot", "bazbot"}) {
        ExpectPaths(RobotsTxt::Parse(text, agent),
                    {{"/example/page.html", false}, {"/example/page.htm", true}, {"/a.gif", true}}, agent);
    }
    ExpectPaths(RobotsTxt::Parse(text, "quxbot"), {{"/", true}, {"/example/page.html", true}}, "quxbot");
    ExpectPaths(RobotsTxt::Parse(text),
                {{"/a.gif", false},
                 {"/dir/b.gif", false},
                 {"/a.gifs", true},
                 {"/a.gif?size=2", true},
                 {"/example/", false},
                 {"/example/x.html", false},
                 {"/publications/", true},
                 {"/publications/x.gif", true}, // the longer Allow wins
                 {"/other.html", true}},
                "the star group");
}

TEST(RobotsTxtRfc, TheLongestMatchDecides) {
    const std::string text =
        "User-Agent: tarnwick\nAllow: /example/page/\nDisallow: /example/page/disallowed.gif\n";
    ExpectPaths(RobotsTxt::Parse(text),
                {{"/example/page/", true},
                 {"/example/page/allowed.gif", true},
                 {"/example/page/disallowed.gif", false},
                 {"/example/page/disallowed.gif2", false},
                 {"/example/", true}},
                "longest");
}

TEST(RobotsTxtRfc, AllowWinsAtEqualLengthInEitherOrder) {
    for (const std::string rules : {"Allow: /page\nDisallow: /page\n", "Disallow: /page\nAllow: /page\n",
                                    "Disallow: /*.html\nAllow: /a.html\n"}) {
        const RobotsTxt robots = RobotsTxt::Parse("User-agent: *\n" + rules);
        EXPECT_TRUE(robots.IsAllowed("/page")) << rules;
        EXPECT_TRUE(robots.IsAllowed("/a.html")) << rules;
    }
    EXPECT_FALSE(RobotsTxt::Parse("User-agent: *\nAllow: /p\nDisallow: /page\n").IsAllowed("/page"));
}

TEST(RobotsTxtRfc, StarAndDollarMatchAsSpecialCharacters) {
    const std::vector<std::pair<std::string, std::vector<PathCase>>> cases{
        {"/fish*",
         {{"/fish", false},
          {"/fish.html", false},
          {"/fishheads/yummy.html", false},
          {"/Fish.asp", true},
          {"/catfish", true}}},
        {"/*.php$",
         {{"/filename.php", false},
          {"/folder/filename.php", false},
          {"/filename.php?parameters", true},
          {"/filename.php/", true},
          {"/windows.PHP", true}}},
        {"/fish*.php",
         {{"/fish.php", false}, {"/fishheads/catfish.php?parameters", false}, {"/Fish.PHP", true}}},
        {"/a$b", {{"/a$b/c", false}, {"/a", true}, {"/ab", true}}},
        {"/exact$", {{"/exact", false}, {"/exact/", true}, {"/exactly", true}}},
        {"/**x", {{"/yx", false}, {"/y", true}}},
        {"/$", {{"/", false}, {"/index.html", true}}},
        {"/a*b*c$", {{"/aXbYc", false}, {"/abcbc", false}, {"/abc/", true}, {"/acb", true}}},
        {"/a*b$", {{"/abab", false}, {"/aba", true}}},
        {"/a*bc", {{"/abbc", false}, {"/abbd", true}}},
        {"*", {{"/", false}, {"/anything", false}}},
    };
    for (const auto& [pattern, paths] : cases) {
        ExpectPaths(RobotsTxt::Parse("User-agent: *\nDisallow: " + pattern + "\n"), paths, pattern);
    }
}

TEST(RobotsTxtRfc, PercentEncodingIsComparedAsTheRfcSays) {
    const std::vector<std::pair<std::string, std::vector<PathCase>>> cases{
        {"/foo/bar?baz=quz", {{"/foo/bar?baz=quz", false}}},
        {"/foo/bar/\xE3\x83\x84",
         {{"/foo/bar/%E3%83%84", false}, {"/foo/bar/%e3%83%84", false}, {"/foo/bar/\xE3\x83\x84", false}}},
        {"/foo/bar/%E3%83%84", {{"/foo/bar/\xE3\x83\x84", false}, {"/foo/bar/%e3%83%84", false}}},
        {"/foo/bar/%62%61%7A", {{"/foo/bar/baz", false}, {"/foo/bar/%62az", false}}},
        {"/foo/bar/baz", {{"/foo/bar/%62%61%7A", false}}},
        // A reserved character means something else encoded than plain.
        {"/a%2Fb", {{"/a/b", true}, {"/a%2fb", false}}},
        {"/a/b", {{"/a%2Fb", true}}},
        {"/with space", {{"/with%20space", false}}},
        {"/100%", {{"/100%25", false}, {"/100%2", false}}},
        {"/100%25", {{"/100%", false}, {"/100%41", true}}},
    };
    for (const auto& [pattern, paths] : cases) {
        ExpectPaths(RobotsTxt::Parse("User-agent: *\nDisallow: " + pattern + "\n"), paths, pattern);
    }
}

TEST(RobotsTxtGroups, TheCrawlersOwnGroupIsChosenElseTheStarGroup) {
    struct Case {
        std::string text;
        bool aAllowed;
        bool bAllowed;
    };
    const std::vector<Case> cases{
        {"User-agent: *\nDisallow: /a\n\nUser-agent: tarnwick\nDisallow: /b\n", true, false},
        {"User-agent: TarnWick\nDisallow: /b\n", true, false},
        {"User-agent: Tarnwick/2.0\nDisallow: /b\n", true, false},
        {"User-Agent : tarnwick\nDisallow : /b\n", true, false},
        {"User-agent: tarnwickbot\nDisallow: /b\nUser-agent: *\nDisallow: /a\n", false, true},
        {"User-agent: otherbot\nDisallow: /a\n", true, true},
        {"Disallow: /a\nUser-agent: tarnwick\nDisallow: /b\n", true, false},
        {"User-agent: other\nUser-agent: tarnwick\nDisallow: /b\n", true, false},
        {"User-agent: other\nFoo: bar\nUser-agent: tarnwick\nDisallow: /b\n", true, false},
        {"User-agent: tarnwick\nSitemap: https://example.com/map.xml\nDisallow: /b\n", true, false},
        {"User-agent: tarnwick\nDisallow: /b\nUser-agent: other\nDisallow: /a\n", true, false},
        {"User-agent: tarnwick\nDisallow /a\nDisallow: /b\n", true, false},
        {"User-agent: tarnwick\nDisallow: /b # not /a\n# Disallow: /a\n", true, false},
        {"User-agent: tarnwick\nDisallow:\n", true, true},
        {"User-agent: tarnwick\r\nDisallow: /b\r\n", true, false},
        {"User-agent: tarnwick\rDisallow: /b\r", true, false},
        {"\xEF\xBB\xBFUser-agent: tarnwick\nDisallow: /b\n", true, false},
        {"", true, true},
    };
    for (const Case& c : cases) {
        const RobotsTxt robots = RobotsTxt::Parse(c.text);
        EXPECT_EQ(robots.IsAllowed("/a"), c.aAllowed) << c.text;
        EXPECT_EQ(robots.IsAllowed("/b"), c.bAllowed) << c.text;
    }
}

TEST(RobotsTxtGroups, RobotsTxtItselfIsAlwaysAllowed) {
    const RobotsTxt robots = RobotsTxt::Parse("User-agent: *\nDisallow: /\n");
    EXPECT_TRUE(robots.IsAllowed("/robots.txt"));
    EXPECT_FALSE(robots.IsAllowed("/robots.txt.bak"));
    EXPECT_TRUE(RobotsTxt::DisallowAll().IsAllowed("/robots.txt"));
    EXPECT_FALSE(RobotsTxt::DisallowAll().IsAllowed("/"));
}

TEST(RobotsTxtLimits, OnlyTheFirst500KibibytesAreRead) {
    std::string text = "User-agent: *\nDisallow: /early\n";
    text += std::string(RobotsTxt::kMaxBytes - 20 - text.size(), '\n');
    // This line starts before the limit and ends after it: a part of it must not become a rule.
    const std::string cut = "/" + std::string(100, 'c');
    text += "Disallow: " + cut + "\n";
    text += "Disallow: /late\n";
    ASSERT_GT(text.size(), RobotsTxt::kMaxBytes);
    ExpectPaths(RobotsTxt::Parse(text),
                {{"/early", false}, {"/late", true}, {cut, true}, {"/ccccccccccc", true}}, "cap");
}

TEST(RobotsTxtLimits, ALineEndingExactlyAtTheLimitIsKept) {
    std::string text = "User-agent: *\n";
    const std::string rule = "Disallow: /kept";
    text += std::string(RobotsTxt::kMaxBytes - text.size() - rule.size() - 1, '\n') + rule +
            "\nDisallow: /late\n";
    ExpectPaths(RobotsTxt::Parse(text), {{"/kept", false}, {"/late", true}}, "at the limit");
}

TEST(RobotsTxtLimits, CrawlDelayIsReadInSecondsAndCappedAtTenSeconds) {
    const std::vector<std::pair<std::string, std::int64_t>> cases{
        {"5", 5000},   {"0.5", 500},  {"2.25", 2250},
        {"10", 10000}, {"30", 10000}, {"99999999999999999999", 10000},
        {"abc", 0},    {"-3", 0},     {"", 0},
        {"1s", 0},
    };
    for (const auto& [value, ms] : cases) {
        EXPECT_EQ(RobotsTxt::Parse("User-agent: tarnwick\nCrawl-delay: " + value + "\n").CrawlDelayMs(), ms)
            << value;
    }
    EXPECT_EQ(RobotsTxt::Parse("User-agent: *\nCrawl-delay: 7\nUser-agent: tarnwick\nDisallow: /x\n")
                  .CrawlDelayMs(),
              0);
    EXPECT_EQ(
        RobotsTxt::Parse("User-agent: *\nCrawl-delay: 7\nUser-agent: other\nDisallow: /x\n").CrawlDelayMs(),
        7000);
    // Crawl-delay is no rule: the agent lines around it stay one group.
    const RobotsTxt robots =
        RobotsTxt::Parse("User-agent: tarnwick\nCrawl-delay: 3\nUser-agent: other\nDisallow: /x\n");
    EXPECT_FALSE(robots.IsAllowed("/x"));
    EXPECT_EQ(robots.CrawlDelayMs(), 3000);
}

TEST(RobotsTxtFetch, EachOutcomeMapsToItsRules) {
    struct Case {
        const char* label;
        RobotsFetchEnd end;
        int status;
        bool pageAllowed;
        bool privateAllowed;
    };
    const std::string body = "User-agent: *\nDisallow: /private\n";
    const std::vector<Case> cases{
        {"200 parsed", RobotsFetchEnd::Answered, 200, true, false},
        {"203 parsed", RobotsFetchEnd::Answered, 203, true, false},
        {"404 allows all", RobotsFetchEnd::Answered, 404, true, true},
        {"403 allows all", RobotsFetchEnd::Answered, 403, true, true},
        {"redirects left over allow all", RobotsFetchEnd::Answered, 301, true, true},
        {"503 allows nothing", RobotsFetchEnd::Answered, 503, false, false},
        {"500 allows nothing", RobotsFetchEnd::Answered, 500, false, false},
        {"no status line allows nothing", RobotsFetchEnd::Answered, 0, false, false},
        {"time-out allows nothing", RobotsFetchEnd::TimedOut, 0, false, false},
        {"unreachable allows nothing", RobotsFetchEnd::Unreachable, 0, false, false},
        {"200 then a time-out allows nothing", RobotsFetchEnd::TimedOut, 200, false, false},
    };
    for (const Case& c : cases) {
        const RobotsTxt robots = RobotsFromFetch(c.end, c.status, body);
        EXPECT_EQ(robots.IsAllowed("/page.html"), c.pageAllowed) << c.label;
        EXPECT_EQ(robots.IsAllowed("/private/x"), c.privateAllowed) << c.label;
    }
}

TEST(RobotsMemory, RemembersByHostAndForgetsTheOldestPastItsBounds) {
    RobotsMemory memory(2, RobotsMemory::kDefaultMaxBytes);
    memory.Remember("a.com", RobotsTxt::DisallowAll());
    memory.Remember("b.com", RobotsTxt());
    ASSERT_NE(memory.Find("a.com"), nullptr);
    EXPECT_FALSE(memory.Find("a.com")->IsAllowed("/x"));
    memory.Remember("a.com", RobotsTxt()); // a second answer replaces the first
    EXPECT_TRUE(memory.Find("a.com")->IsAllowed("/x"));
    memory.Remember("c.com", RobotsTxt());
    EXPECT_EQ(memory.size(), 2u);
    EXPECT_EQ(memory.Find("a.com"), nullptr);
    EXPECT_NE(memory.Find("c.com"), nullptr);
    memory.Clear();
    EXPECT_EQ(memory.Find("b.com"), nullptr);
}

TEST(RobotsMemory, ForgetsTheOldestPastItsByteBudget) {
    const RobotsTxt big = RobotsTxt::Parse("User-agent: *\nDisallow: /" + std::string(4000, 'x') + "\n");
    RobotsMemory memory(100, 3 * big.Footprint());
    for (const char* host : {"a.com", "b.com", "c.com", "d.com"}) {
        memory.Remember(host, big);
    }
    EXPECT_LE(memory.size(), 3u);
    EXPECT_EQ(memory.Find("a.com"), nullptr);
    EXPECT_NE(memory.Find("d.com"), nullptr);
    // The newest answer is kept even when it alone exceeds the budget.
    RobotsMemory tiny(100, 1);
    tiny.Remember("a.com", big);
    EXPECT_NE(tiny.Find("a.com"), nullptr);
}

} // namespace
} // namespace tarnwick
