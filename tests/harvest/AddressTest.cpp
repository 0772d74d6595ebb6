// Address splitting, the request bytes and the header cut of the page fetcher.
#include "harvest/Address.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

struct SplitCase {
    const char* address;
    const char* host;
    const char* path;
};

TEST(SplitAddress, CleansAndSplits) {
    const SplitCase cases[] = {
        {"www.tarnwick.example", "www.tarnwick.example", "/"},
        {"www.tarnwick.example/", "www.tarnwick.example", "/"},
        {"http://www.tarnwick.example", "www.tarnwick.example", "/"},
        {"http://www.tarnwick.example/", "www.tarnwick.example", "/"},
        // The scheme goes in any case; the host keeps the case it was written in.
        {"HTTP://WWW.Tarnwick.Example/", "WWW.Tarnwick.Example", "/"},
        {"HtTp://a.com/dir/", "a.com", "/dir"},
        {"a.com/dir/page.html", "a.com", "/dir/page.html"},
        {"a.com//x", "a.com", "/x"},
        // Every occurrence of the host text, slash included, is cut from the path.
        {"a.com/dir/a.com/x", "a.com", "/dir/x"},
        {"A.com/dir/a.com/x", "A.com", "/dir/a.com/x"},
        {"http://a.com/http://b.com", "a.com", "/b.com"},
        // One pass: a scheme formed by the removal stays.
        {"hthttp://tp://a.com", "http:", "/a.com"},
        // Only one closing "/" is dropped.
        {"a.com//", "a.com", "/"},
        {"", "", "/"},
        {"/", "", "/"},
    };
    for (const auto& c : cases) {
        const HostPath split = SplitAddress(c.address);
        EXPECT_EQ(split.host, c.host) << c.address;
        EXPECT_EQ(split.path, c.path) << c.address;
    }
}

TEST(BuildRequest, IsExactlyTheFiveLines) {
    EXPECT_EQ(BuildRequest("www.a.com", "/dir/p.html"),
              "GET /dir/p.html HTTP/1.1\r\nHost: www.a.com\r\nConnection: close\r\nAccept: */*\r\n\r\n");
    EXPECT_EQ(BuildRequest("", "/"), "GET / HTTP/1.1\r\nHost: \r\nConnection: close\r\nAccept: */*\r\n\r\n");
}

TEST(BuildRequest, EscapesEveryByteThatCouldBreakTheRequestLine) {
    const struct {
        std::string path;
        std::string sent;
    } cases[] = {
        // A page line split only at CR keeps its LF inside the link.
        {"/x\nSET pwned 1\nQUIT\n", "/x%0ASET%20pwned%201%0AQUIT%0A"},
        {"/a b\r\nHost: evil", "/a%20b%0D%0AHost:%20evil"},
        {std::string("/\0\t\x1F\x7F", 5), "/%00%09%1F%7F"},
        {"/caf\xE9/\x80\xFF", "/caf%E9/%80%FF"},
        // What is already escaped, and every other printable byte, stays as written.
        {"/p%20q?x=1&y=\"z\"#f", "/p%20q?x=1&y=\"z\"#f"},
        {"/~user/{a}|[b]^`", "/~user/{a}|[b]^`"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeRequestPath(c.path), c.sent) << c.path;
        const std::string request = BuildRequest("a.com", c.path);
        EXPECT_EQ(request,
                  "GET " + c.sent + " HTTP/1.1\r\nHost: a.com\r\nConnection: close\r\nAccept: */*\r\n\r\n");
    }
}

TEST(StripHeader, RemovesTheHeaderEverywhere) {
    const struct {
        std::string page;
        std::string body;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n<p>x</p>", "<p>x</p>"},
        {"HTTP/1.1 204 No Content\r\n\r\n", ""},
        // The same text later in the body goes too, in any letter case.
        {"HTTP/1.0 200\r\n\r\nbody http/1.0 200\r\n\r\nend", "body end"},
        // Only the first blank line ends the header.
        {"H\r\n\r\nA\r\n\r\nB", "A\r\n\r\nB"},
        // Without a blank line the first three characters are the "header".
        {"abcdef ABC abc", "def  "},
        {"<html>\r\n<body>", "ml>\r\n<body>"},
        {"ab", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StripHeader(c.page), c.body) << c.page;
    }
}

TEST(StripHeader, LongHeaderRepeatedInALongBody) {
    const std::string header =
        "HTTP/1.1 200 OK\r\nServer: test\r\nX-Pad: " + std::string(200, 'a') + "\r\n\r\n";
    std::string body;
    std::string expected;
    for (int i = 0; i < 50; ++i) {
        body += "chunk " + std::to_string(i) + (i % 7 == 0 ? header : std::string(201, 'a'));
        expected += "chunk " + std::to_string(i) + (i % 7 == 0 ? "" : std::string(201, 'a'));
    }
    EXPECT_EQ(StripHeader(header + body), expected);
}

} // namespace
} // namespace tarnwick
