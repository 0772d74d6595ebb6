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

TEST(WebLinksHrefs, EachBaseTagIsReadOnceUpToItsClose) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
        {"<base target=_self><base href=/second/>", "/second/"},
        {"<base <base href=inner>", "inner"},
        {"<base target=x>" + std::string(1000, 'y') + "<base href=late>", "late"},
        {"<base target=_self", std::nullopt},
        {"<base>href=outside", std::nullopt},
        {"<base\thref='tab'>", "tab"},
    };
    for (const auto& [page, expected] : cases) {
        EXPECT_EQ(BaseHrefOf(page), expected) << page;
    }
}

TEST(WebLinksBounds, LongLinksAreDroppedAndAPageGivesAtMostTenThousand) {
    const WebUrl base{true, "example.com", "/dir/"};
    const std::string fits = "/" + std::string(kMaxLinkBytes - std::string("example.com/").size(), 'a');
    EXPECT_EQ(LinkWebsite(fits, base), std::optional<std::string>("example.com" + fits));
    EXPECT_EQ(LinkWebsite(fits + "a", base), std::nullopt);
    EXPECT_EQ(LinkWebsite("/" + std::string(20000, 'b'), base), std::nullopt);

    std::string page =
        "<base href=\"https://cdn.example.org/\">\n<a href=\"/" + std::string(9000, 'c') + "\">\n";
    for (int i = 0; i < 12000; ++i) {
        page += "<a href=\"p" + std::to_string(i) + "\">" + (i % 3 == 0 ? "\n" : "");
    }
    const std::vector<std::string> websites = PageLinkWebsites(page, base);
    ASSERT_EQ(websites.size(), kMaxLinksPerPage);
    // The base's own href is a link as well; the one over 8 KiB is not.
    EXPECT_EQ(websites[0], "cdn.example.org/");
    EXPECT_EQ(websites[1], "cdn.example.org/p0");
    EXPECT_EQ(websites.back(), "cdn.example.org/p9998");
}

TEST(WebAddressHead, FindsTheBlankLineAfterCrLfOrBareLfLines) {
    const struct {
        std::string data;
        std::optional<std::string> head; // the header text
        std::string body;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody", "HTTP/1.1 200 OK\r\nA: b\r\n", "body"},
        {"HTTP/1.1 200 OK\nA: b\n\nbody", "HTTP/1.1 200 OK\nA: b\n", "body"},
        {"HTTP/1.1 200 OK\r\nA: b\n\r\nbody", "HTTP/1.1 200 OK\r\nA: b\n", "body"},
        {"HTTP/1.1 200 OK\nA: b\r\n\nbody\n\n", "HTTP/1.1 200 OK\nA: b\r\n", "body\n\n"},
        {"HTTP/1.1 200 OK\r\nA: b\r\n", std::nullopt, ""},
        {"HTTP/1.1 200 OK\r\nA: b\r\n\r", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const std::optional<HeadEnd> end = FindHeadEnd(c.data);
        ASSERT_EQ(end.has_value(), c.head.has_value()) << c.data;
        if (end) {
            EXPECT_EQ(c.data.substr(0, end->head), *c.head) << c.data;
            EXPECT_EQ(c.data.substr(end->body), c.body) << c.data;
        }
    }
    // Arriving in pieces: the search resumes where a blank line could still begin.
    const std::string whole = "HTTP/1.1 200 OK\nA: b\n\nbody";
    std::string data;
    std::size_t from = 0;
    std::optional<HeadEnd> end;
    for (const char c : whole) {
        data += c;
        end = FindHeadEnd(data, from);
        if (end) {
            break;
        }
        from = HeadSearchResume(data);
    }
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->body, whole.size() - 4);

    const ResponseHead bareLf = ParseResponseHead("HTTP/1.1 301 Moved\nLocation: /x\nContent-Length: 3");
    EXPECT_EQ(bareLf.status, 301);
    EXPECT_EQ(bareLf.location, "/x");
    EXPECT_EQ(bareLf.length, 3);
}

TEST(WebAddressHead, ChunkedOnlyWhenACodingIsExactlyChunked) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"Transfer-Encoding: chunked", true},
        {"Transfer-Encoding: gzip , CHUNKED", true},
        {"Transfer-Encoding: notchunked", false},
        {"Transfer-Encoding: chunkedx", false},
        {"Transfer-Encoding: identity", false},
        {"Transfer-Encoding: chunked\r\nTransfer-Encoding: identity", true},
        {"Transfer-Encoding: identity\r\nTransfer-Encoding: chunked", true},
        {"X-Transfer-Encoding: chunked", false},
    };
    for (const auto& [lines, chunked] : cases) {
        EXPECT_EQ(ParseResponseHead("HTTP/1.1 200 OK\r\n" + lines).chunked, chunked) << lines;
    }
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
    bool failed = false;
};

TEST(WebAddressChunked, DecodesWhateverWayTheBytesArrive) {
    const std::vector<ChunkCase> cases{
        {"whole", {"5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"}, "hello world", true},
        {"byte by byte", {"3", "\r", "\n", "a", "b", "c", "\r", "\n", "0", "\r\n"}, "abc", true},
        {"extension and upper hex", {"A;x=y\r\n0123456789\r\n0\r\n"}, "0123456789", true},
        {"lf only", {"2\nok\n0\n"}, "ok", true},
        {"malformed size keeps what came before", {"2\r\nok\r\nzz\r\nlost\r\n"}, "ok", true, true},
        {"missing line end after data", {"2\r\nokX\r\n"}, "ok", true, true},
        {"oversized size line", {"1234567890123456\r\n"}, "", true, true},
        {"unfinished", {"4\r\nab"}, "ab", false},
        {"leading zeros", {"0000000000000000000005\r\nhello\r\n00000000000000000000\r\n"}, "hello", true},
        {"leading zeros byte by byte", {"0", "0", "3", "\r\nabc\r\n", "0", "0", "\r\n"}, "abc", true},
        {"size line at the limit",
         {"3;" + std::string(ChunkedDecoder::kMaxSizeLine - 4, 'x') + "\r\nabc\r\n0\r\n"},
         "abc",
         true},
        {"size line past the limit",
         {"3;" + std::string(ChunkedDecoder::kMaxSizeLine - 2, 'x') + "\r\nabc\r\n0\r\n"},
         "",
         true,
         true},
        {"endless extension in pieces",
         {"3;", std::string(3000, 'x'), std::string(3000, 'x')},
         "",
         true,
         true},
    };
    for (const ChunkCase& c : cases) {
        ChunkedDecoder decoder;
        std::string body;
        for (const std::string& piece : c.pieces) {
            decoder.Feed(piece, body, 1024);
        }
        EXPECT_EQ(body, c.body) << c.name;
        EXPECT_EQ(decoder.Ended(), c.ended) << c.name;
        EXPECT_EQ(decoder.Failed(), c.failed) << c.name;
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
