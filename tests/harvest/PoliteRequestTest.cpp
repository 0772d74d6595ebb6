// The request of the secure web byte for byte, and the header fields the polite crawler reads
// from a response (Content-Encoding, Retry-After).
#include "harvest/Address.h"
#include "harvest/WebAddress.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

TEST(PoliteRequest, NamesTheCrawlerAndOffersGzipAfterTheHostLine) {
    const std::string agent =
        std::string("Tarnwick/") + TARNWICK_VERSION + " (+https://" TARNWICK_WEBSITE_ADDRESS ")";
    EXPECT_EQ(CrawlerUserAgent(), agent);
    EXPECT_EQ(BuildPoliteRequest("shop.example.com:8443", "/dir/page.html?q=1"),
              "GET /dir/page.html?q=1 HTTP/1.1\r\n"
              "Host: shop.example.com:8443\r\n"
              "User-Agent: " +
                  agent +
                  "\r\n"
                  "Accept-Encoding: gzip\r\n"
                  "Connection: close\r\n"
                  "Accept: */*\r\n"
                  "\r\n");
    // The classic request is left as it was.
    EXPECT_EQ(BuildRequest("a.com", "/"),
              "GET / HTTP/1.1\r\nHost: a.com\r\nConnection: close\r\nAccept: */*\r\n\r\n");
}

TEST(PoliteRequest, ReadsAFieldOfTheResponseHead) {
    const std::string head = "HTTP/1.1 503 Retry-After: 9\r\n"
                             "content-encoding:  gzip \r\n"
                             "Retry-After: 120\r\n"
                             "X-Retry-After: 5\r\n"
                             "Retry-After: 300";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"Content-Encoding", "gzip"},
        {"retry-after", "120"},
        {"Location", ""},
        {"Retry", ""},
    };
    for (const auto& [name, value] : cases) {
        EXPECT_EQ(HeaderValue(head, name), value) << name;
    }
    EXPECT_EQ(HeaderValue("Retry-After: 5", "Retry-After"), "");
    EXPECT_EQ(HeaderValue("HTTP/1.1 429 Too Many\nRetry-After: 5", "Retry-After"), "5");
}

} // namespace
} // namespace tarnwick
