// The secure web's pure rules: browser-like resolution, every href of a line, file types by the
// end of the path, response heads, chunked decoding and the memory of fetched websites.
#include "harvest/WebLinks.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

struct ResolveCase {
    const char* reference;
    std::optional<std::string> expected; // "https://" or "http://" + host + path
};

TEST(WebLinksResolve, ResolvesAsABrowserDoes) {
    const WebUrl base{true, "shop.example.com", "/dir/sub/page.html?q=1"};
    const std::vector<ResolveCase> cases{
        {"/x", "https://shop.example.com/x"},
        {"../x", "https://shop.example.com/dir/x"},
        {"../../../../x", "https://shop.example.com/x"},
        {"x", "https://shop.example.com/dir/sub/x"},
        {"./x/./y/../z", "https://shop.example.com/dir/sub/x/z"},
        {"..", "https://shop.example.com/dir/"},
        {"?p=2", "https://shop.example.com/dir/sub/page.html?p=2"},
        {"//other.org/a", "https://other.org/a"},
        {"http://Other.org", "http://Other.org/"},
        {"HTTPS://other.org/a?b=c#frag", "https://other.org/a?b=c"},
        {"x.html#part", "https://shop.example.com/dir/sub/x.html"},
        {"  /spaced name.html ", "https://shop.example.com/spaced%20name.html"},
        {"/a\n/b", "https://shop.example.com/a/b"},
        {"https://user:pw@other.org/", "https://other.org/"},
        {"https://other.org:8443/x", "https://other.org:8443/x"},
        {"#top", std::nullopt},
        {"", std::nullopt},
        {"mailto:a@b.com", std::nullopt},
        {"javascript:void(0)", std::nullopt},
        {"tel:+12125550188", std::nullopt},
        {"data:text/html,hi", std::nullopt},
        {"ftp://other.org/", std::nullopt},
        {"https:///slashes", "https://slashes/"},
        {"https://", std::nullopt},
        {"http://?q", std::nullopt},
    };
    for (const ResolveCase& c : cases) {
        const std::optional<WebUrl> url = ResolveUrl(c.reference, base);
        const std::optional<std::string> text = url ? std::optional(UrlText(*url)) : std::nullopt;
        EXPECT_EQ(text, c.expected) << "reference: " << c.reference;
    }
}

TEST(WebLinksResolve, APageAtTheRootResolvesRelativeNamesFromTheRoot) {
    const WebUrl root{false, "example.com", "/"};
    EXPECT_EQ(UrlText(*ResolveUrl("a.html", root)), "http://example.com/a.html");
    EXPECT_EQ(UrlText(*ResolveUrl("../a.html", root)), "http://example.com/a.html");
}

TEST(WebLinksHrefs, TakesEveryValueOfALineQuotedOrNot) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {R"(<a href="a.html">A</a><a HREF='b.html'>B</a><a href=c.html>C</a>)",
         {"a.html", "b.html", "c.html"}},
        {R"(<a href=d.html class="x">D</a>)", {"d.html"}},
        {R"(<a href = "e f.html" >E</a>)", {"e f.html"}},
        {R"(<a href="/s?a=1&amp;b=2">)", {"/s?a=1&b=2"}},
        {R"(<a data-href="no.html" href="yes.html">)", {"yes.html"}},
        {R"(<a href="unclosed.html)", {"unclosed.html"}},
        {R"(<a href=>empty</a>)", {""}},
        {R"(hrefless text, href alone)", {}},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(HrefValuesOfLine(line), expected) << line;
    }
}

TEST(WebLinksHrefs, FindsTheBaseHref) {
    EXPECT_EQ(BaseHrefOf("<head><BASE target=_top href=\"https://cdn.example.org/site/\"></head>"),
              std::optional<std::string>("https://cdn.example.org/site/"));
    EXPECT_EQ(BaseHrefOf("<basefont size=3><a href=x>"), std::nullopt);
    EXPECT_EQ(BaseHrefOf("<p>no base</p>"), std::nullopt);
}

TEST(WebLinksLines, ALoneLfEndsALineLikeCrLfAndCr) {
    EXPECT_EQ(SplitAllLines("a\nb\r\nc\rd\n\ne"),
              (std::vector<std::string_view>{"a", "b", "c", "d", "", "e"}));
}

TEST(WebLinksFileTypes, JudgesTheEndOfThePathOnly) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"/logo.GIF", true},
        {"/a/movie.mp4", true},
        {"/style.css?v=3", true},
        {"/app.js", true},
        {"/paper.pdf", true},
        {"/radio.example/index.html", false},
        {"/jsonfeed.html", false},
        {"/.rm/index.html", false},
        {"/page?file=a.jpg", false},
        {"/download.php", false},
        {"/", false},
        {"/archive.tar.gz", false},
    };
    for (const auto& [path, excluded] : cases) {
        EXPECT_EQ(IsExcludedFileType(path), excluded) << path;
    }
    const WebUrl base{true, "example.com", "/"};
    EXPECT_EQ(LinkWebsite("img/photo.jpeg", base), std::nullopt);
    EXPECT_EQ(LinkWebsite("https://www.ra-example.com/x", base),
              std::optional<std::string>("www.ra-example.com/x"));
}

TEST(WebAddressHead, ReadsStatusLocationCodingAndLength) {
    const ResponseHead head = ParseResponseHead(
        "HTTP/1.1 302 Found\r\nlocation:  /next \r\nTRANSFER-ENCODING: gzip, Chunked\r\nContent-Length: 12");
    EXPECT_EQ(head.status, 302);
    EXPECT_EQ(head.location, "/next");
    EXPECT_TRUE(head.chunked);
    EXPECT_EQ(head.length, 12);
    EXPECT_EQ(ParseResponseHead("garbage\r\nContent-Length: -4").status, 0);
    EXPECT_EQ(ParseResponseHead("HTTP/1.0 200 OK\r\nContent-Length: -4").length, -1);
    for (const int status : {301, 302, 303, 307, 308}) {
        EXPECT_TRUE(IsRedirectStatus(status));
    }
    for (const int status : {200, 300, 304, 305, 404}) {
        EXPECT_FALSE(IsRedirectStatus(status));
    }
}

TEST(WebAddressWebsite, SplitsAQueuedWebsiteAsWritten) {
    const WebUrl url = WebsiteUrl("Shop.example.com/r?to=http://x.org/y", true);
    EXPECT_EQ(url.host, "Shop.example.com");
    EXPECT_EQ(url.path, "/r?to=http://x.org/y");
    EXPECT_EQ(UrlText(WebsiteUrl("example.com", true)), "https://example.com/");
    EXPECT_EQ(UrlText(WebsiteUrl("http://example.com/a/", true)), "http://example.com/a/");
    EXPECT_EQ(HostName("example.com:8080"), "example.com");
    EXPECT_EQ(HostPort("example.com:8080"), 8080);
    EXPECT_EQ(HostPort("example.com"), 0);
    EXPECT_EQ(HostPort("example.com:99999"), 0);
}

struct ChunkCase {
    const char* name;
    std::vector<std::string> pieces; // fed one after the other
    std::string body;
    bool ended;
};

TEST(WebAddressChunked, DecodesWhateverWayTheBytesArrive) {
    const std::vector<ChunkCase> cases{
        {"whole", {"5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"}, "hello world", true},
        {"byte by byte", {"3", "\r", "\n", "a", "b", "c", "\r", "\n", "0", "\r\n"}, "abc", true},
        {"extension and upper hex", {"A;x=y\r\n0123456789\r\n0\r\n"}, "0123456789", true},
        {"lf only", {"2\nok\n0\n"}, "ok", true},
        {"malformed size keeps what came before", {"2\r\nok\r\nzz\r\nlost\r\n"}, "ok", true},
        {"missing line end after data", {"2\r\nokX\r\n"}, "ok", true},
        {"oversized size line", {"1234567890123456\r\n"}, "", true},
        {"unfinished", {"4\r\nab"}, "ab", false},
    };
    for (const ChunkCase& c : cases) {
        ChunkedDecoder decoder;
        std::string body;
        for (const std::string& piece : c.pieces) {
            decoder.Feed(piece, body, 1024);
        }
        EXPECT_EQ(body, c.body) << c.name;
        EXPECT_EQ(decoder.Ended(), c.ended) << c.name;
    }
}

TEST(WebAddressChunked, TheCapAppliesToTheDecodedBody) {
    ChunkedDecoder decoder;
    std::string body;
    decoder.Feed("8\r\n12345678\r\n", body, 5);
    EXPECT_EQ(body, "12345");
    EXPECT_TRUE(decoder.Ended());
    decoder.Feed("3\r\nabc\r\n", body, 5);
    EXPECT_EQ(body, "12345");
}

TEST(WebLinksFetched, ComparesTheHostWithoutCaseAndThePathExactly) {
    FetchedWebsites fetched;
    fetched.Add("Shop.Example.com");
    EXPECT_TRUE(fetched.Contains("shop.example.com/"));
    EXPECT_TRUE(fetched.Contains("https://SHOP.example.com/"));
    EXPECT_FALSE(fetched.Contains("shop.example.com/About"));
    fetched.Add("shop.example.com/About");
    EXPECT_FALSE(fetched.Contains("shop.example.com/about"));
    EXPECT_EQ(fetched.size(), 2u);
    fetched.Clear();
    EXPECT_FALSE(fetched.Contains("shop.example.com/"));
}

TEST(WebLinksFetched, ForgetsTheOldestPastItsCapacity) {
    FetchedWebsites fetched(3);
    for (const char* website : {"a.com/", "b.com/", "c.com/", "a.com/", "d.com/"}) {
        fetched.Add(website);
    }
    EXPECT_EQ(fetched.size(), 3u);
    EXPECT_FALSE(fetched.Contains("a.com/"));
    EXPECT_TRUE(fetched.Contains("b.com/"));
    EXPECT_TRUE(fetched.Contains("d.com/"));
}

} // namespace
} // namespace tarnwick
