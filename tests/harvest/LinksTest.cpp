// Page directories, link normalisation and the link of a line.
#include "harvest/Links.h"

#include "harvest/WebLinks.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(UrlDirectory, DirectoryOfAnAddress) {
    const struct {
        const char* address;
        const char* directory;
    } cases[] = {
        {"a.com/", "a.com/"},
        {"a.com", "a.com/"},
        {"a.com/dir/page.html", "a.com/dir/"},
        {"a.com/dir/sub/", "a.com/dir/"},
        {"a.com/dir", "a.com/"},
        {"", "/"},
        {"/", "/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlDirectory(c.address), c.directory) << c.address;
    }
}

TEST(NormaliseLink, ResolvesAgainstThePageDirectory) {
    const std::string directory = "a.com/dir/";
    const struct {
        const char* link;
        const char* address;
    } cases[] = {
        // Relative names join the directory; the extra "/" collapses.
        {"page.html", "a.com/dir/page.html"},
        {"sub/", "a.com/dir/sub/"},
        {"", "a.com/dir/"},
        // A leading "/" is taken relative to the page directory, not the host root.
        {"/x.html", "a.com/dir/x.html"},
        {"/", "a.com/dir/"},
        // ".." keeps nothing of what follows it.
        {"../up/page.html", "a.com/dir/.."},
        {"..", "a.com/dir/.."},
        // A scheme is removed and the base left alone.
        {"http://www.b.com/p", "www.b.com/p"},
        {"HTTP://b.org", "b.org/"},
        {"http://b.org/http://c.org", "b.org/c.org"},
        // Another host without a scheme stays as it is, with a "/" when it has none.
        {"www.b.com", "www.b.com/"},
        {"b.net/x", "b.net/x"},
        {"WWW.B.ORG/x", "WWW.B.ORG/x"},
        {"x.EDU", "x.EDU/"},
        {"ww2.b.org", "ww2.b.org/"},
        {"b.gov/", "b.gov/"},
        // Another scheme is not recognised: kept with a host marker, joined without one.
        {"https://www.b.com/x", "https:/www.b.com/x"},
        {"https://b.org/x", "a.com/dir/https:/b.org/x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormaliseLink(c.link, directory), c.address) << c.link;
    }
    EXPECT_EQ(NormaliseLink("/x.html", "a.com/"), "a.com/x.html");
    EXPECT_EQ(NormaliseLink("x.html", "a.com/"), "a.com/x.html");
}

TEST(NormaliseLink, CollapsesSlashesInExactlyFourPasses) {
    // Each pass halves a run of slashes (rounding up): 16 become 1, 17 stay 2.
    EXPECT_EQ(NormaliseLink("http://b.com" + std::string(16, '/') + "x", "a.com/"), "b.com/x");
    EXPECT_EQ(NormaliseLink("http://b.com" + std::string(17, '/') + "x", "a.com/"), "b.com//x");
    // A leading "/" gets one pass of its own first: 34 + 1 from the directory, then four more.
    EXPECT_EQ(NormaliseLink(std::string(33, '/') + "x", "a.com/"), "a.com//x");
    EXPECT_EQ(NormaliseLink(std::string(31, '/') + "x", "a.com/"), "a.com/x");
}

TEST(LinkOfLine, TakesTheFirstLinkOfALine) {
    const struct {
        const char* line;
        const char* link;
    } cases[] = {
        {R"(<a href="page.html">Page</a>)", "page.html"},
        {R"(<A HREF='Page.html'>Page</A>)", "Page.html"},
        {R"(<a HrEf="x.html">)", "x.html"},
        // Unquoted values keep the attributes that follow, spaces included.
        {R"(<a href=page.html class=nav id=x>Page</a>)", "page.html class=nav id=x"},
        // A ">" that ends the line counts as a closing quote at the end of the line.
        {R"(text <a href=page.html>)", "page.htm"},
        // Only the first link of a line is taken.
        {R"(<a href="one.html">1</a> <a href="two.html">2</a>)", "one.html"},
        // A closing quote at the end of the line takes the character before it along.
        {R"(<a href="page.html")", "page.htm"},
        {R"(<a href='page.html')", "page.htm"},
        {R"(<a href="page.html>)", "page.htm"},
        // Without any quote or ">" the last two characters go.
        {"<a href=page.html", "page.ht"},
        // An image in the line does not hide its link.
        {R"(<a href="p.html"><img src="logo.gif"></a>)", "p.html"},
        {R"(<img src="a.jpg"> <a href="b.html">)", "b.html"},
        // A lone LF does not end the line, so the link before it is the one taken.
        {"<a href=\"a.html\">\n<a href=\"b.html\">", "a.html"},
        // Every "href=" is removed from the link text.
        {R"(<a href="x.html?u=href=y">)", "x.html?u=y"},
        {R"(<a href="HREF=x">)", "x"},
        // The quote after "href= " is not an opening quote.
        {R"(<a href= "x.html">)", " "},
        {R"(<a href="">)", ""},
    };
    for (const auto& c : cases) {
        const auto link = LinkOfLine(c.line);
        ASSERT_TRUE(link.has_value()) << c.line;
        EXPECT_EQ(*link, c.link) << c.line;
    }
}

TEST(LinkOfLine, LinesWithoutHref) {
    for (const char* line : {"", "<a name=x>", "href", "href =\"x\"", "<img src=\"x.png\">"}) {
        EXPECT_FALSE(LinkOfLine(line).has_value()) << line;
    }
}

TEST(LinkOfLine, ExcludedFragmentsAreNeverFollowed) {
    const char* fragments[] = {"javascript", "mailto", ".mpg", ".js",  ".mpeg", ".swf", ".avi",
                               ".jpg",       ".jpeg",  ".gif", ".bmp", ".mov",  ".rm",  ".mp3",
                               ".wav",       ".ra",    ".pdf", ".css", "#"};
    for (const std::string fragment : fragments) {
        EXPECT_FALSE(LinkOfLine("<a href=\"x" + fragment + "y\">").has_value()) << fragment;
        std::string upper = fragment;
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        EXPECT_FALSE(LinkOfLine("<A HREF=\"X" + upper + "\">").has_value()) << upper;
    }
    // Substring tests: extensions that begin with a fragment, a dot before "ra" in a host.
    for (const char* line : {R"(<a href="page.jsp">)", R"(<a href="http://www.radio.com/">)",
                             R"(<a href="/a#top">)", R"x(<a href="JavaScript:go()">)x"}) {
        EXPECT_FALSE(LinkOfLine(line).has_value()) << line;
    }
    // A fragment beyond the end of the link does not count.
    const auto link = LinkOfLine(R"(<a href="page.html">logo.gif</a>)");
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(*link, "page.html");
}

} // namespace
} // namespace tarnwick

namespace tarnwick {
namespace {

TEST(LinksOfPageFile, FirstLinkOfEachReaderLineBoundedInLengthAndCount) {
    std::string page = "<a href=\"a.html\">A</a><a href=\"skipped.html\">\r\n"
                       "<a href=\"/" +
                       std::string(9000, 'l') +
                       "\">long</a>\r"
                       "<a href=\"b.html\">B</a>\n<a href=\"lf-kept-in-line.html\">\r\n";
    EXPECT_EQ(LinksOfPageFile(page, "site.com/dir/"),
              (std::vector<std::string>{"site.com/dir/a.html", "site.com/dir/b.html"}));

    std::string many;
    for (int i = 0; i < 12000; ++i) {
        many += "<a href=\"p" + std::to_string(i) + ".html\">\r\n";
    }
    const std::vector<std::string> links = LinksOfPageFile(many, "site.com/");
    ASSERT_EQ(links.size(), kMaxLinksPerPage);
    EXPECT_EQ(links.back(), "site.com/p9999.html");
    EXPECT_EQ(LinkOfLine("<a href=\"" + std::string(kMaxLinkBytes + 1, 'x') + "\">"), std::nullopt);
}

} // namespace
} // namespace tarnwick
