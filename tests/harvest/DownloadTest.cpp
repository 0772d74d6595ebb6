// The download unit of one slot on the loopback fixture web: its outcomes, its bounds and what it
// refuses to connect to, send or accept.
#include "harvest/Download.h"

#include "FixtureWeb.h"
#include "TestCertificates.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QTcpServer>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnwick::test {
namespace {

using Outcome = Download::Outcome;

quint16 UnusedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort(); // closed again when the server goes
}

// A download wired to the fixture the way the engine wires a slot: every host name is routed to
// the fixture's loopback ports, 10 ms ticks, idle after 30 ticks and overdue after 200.
struct Rig {
    explicit Rig(bool tls = false)
        : web(tls) {}

    std::unique_ptr<Download> Make(bool routed = true, bool trustTestAuthority = true) {
        DownloadRoutes routes;
        if (routed) {
            const quint16 port = web.Port();
            const quint16 securePort = web.SecurePort() != 0 ? web.SecurePort() : UnusedPort();
            routes.plain = [this, port](const std::string& host) {
                return Endpoint{QStringLiteral("127.0.0.1"), refusePlain == host ? UnusedPort() : port};
            };
            routes.secure = [this, securePort](const std::string& host) {
                return Endpoint{QStringLiteral("127.0.0.1"),
                                refuseSecure == host ? UnusedPort() : securePort};
            };
        }
        if (trustTestAuthority) {
            routes.trustedAuthorities = {QSslCertificate(QByteArray(kTestAuthorityPem), QSsl::Pem)};
        }
        auto download = std::make_unique<Download>(routes);
        download->SetTickInterval(10);
        download->SetTimeouts(30, 200);
        download->SetAllowPrivateAddresses(true);
        return download;
    }

    FixtureWeb web;
    std::string refusePlain;
    std::string refuseSecure;
};

// Starts the download and waits for its one finished signal.
Outcome Fetch(Download& download, const std::string& host, const std::string& path, bool secureWeb,
              int milliseconds = 8000) {
    QSignalSpy finished(&download, &Download::finished);
    download.Start(host, path, secureWeb);
    if (!finished.wait(milliseconds)) {
        ADD_FAILURE() << "no outcome for " << host << path;
        return Outcome::TimedOut;
    }
    return qvariant_cast<Outcome>(finished.at(0).at(0));
}

TEST(DownloadTest, APageArrivesWithItsHeaderCut) {
    for (const bool secureWeb : {false, true}) {
        Rig rig(secureWeb);
        rig.web.SetPage("shop.example.com", "/contact.html", "<p>Fax: 212-555-0188</p>");
        auto download = rig.Make();
        ASSERT_EQ(Fetch(*download, "shop.example.com", "/contact.html", secureWeb), Outcome::Page);
        EXPECT_EQ(download->TakePage(), "<p>Fax: 212-555-0188</p>");
    }
}

TEST(DownloadTest, ASilentServerTimesOutAndARefusedHostIsUnreachable) {
    Rig rig(true);
    rig.web.SetHostility("silent.example.com", Hostility::Silent);
    auto download = rig.Make();
    EXPECT_EQ(Fetch(*download, "silent.example.com", "/", false), Outcome::TimedOut);
    EXPECT_EQ(Fetch(*download, "silent.example.com", "/", true), Outcome::TimedOut);

    rig.refusePlain = rig.refuseSecure = "down.example.com";
    EXPECT_EQ(Fetch(*download, "down.example.com", "/", true), Outcome::Unreachable);
    EXPECT_EQ(rig.web.RequestCount(), 2u);
}

TEST(DownloadTest, TheSixthRedirectEndsTheWebsite) {
    Rig rig(true);
    rig.web.SetResponse("loop.example.com", "/",
                        "HTTP/1.1 302 Found\r\nLocation: /\r\nContent-Length: 0\r\n\r\n");
    auto download = rig.Make();
    EXPECT_EQ(Fetch(*download, "loop.example.com", "/", true), Outcome::TooManyRedirects);
    EXPECT_EQ(rig.web.RequestCount(), 1u + Download::kMaxRedirects);
}

TEST(DownloadTest, AHugeResponseIsCutAtThePageCap) {
    Rig rig(true);
    rig.web.SetHostility("huge.example.com", Hostility::Huge);
    rig.web.SetPage("big.example.com", "/", std::string(Download::kPageCap + 1024 * 1024, 'x'));
    auto download = rig.Make();
    download->SetTimeouts(300, 1000);
    ASSERT_EQ(Fetch(*download, "huge.example.com", "/", false), Outcome::Page);
    const std::string classic = download->TakePage();
    EXPECT_LE(classic.size(), Download::kPageCap);
    EXPECT_GT(classic.size(), Download::kPageCap - 4096);
    ASSERT_EQ(Fetch(*download, "big.example.com", "/", true), Outcome::Page);
    EXPECT_EQ(download->TakePage().size(), Download::kPageCap);
}

std::string ChunksOf(const std::string& body) {
    std::string chunked;
    for (std::size_t at = 0; at < body.size(); at += 65536) {
        const std::string chunk = body.substr(at, 65536);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
        chunked += size + chunk + "\r\n";
    }
    return chunked + "0\r\n\r\n";
}

// robots.txt is read no further than its parser looks, plain or chunked.
TEST(DownloadTest, TheBodyCapEndsTheReadWithWhatCame) {
    Rig rig(true);
    const std::string robots = "User-agent: *\r\nDisallow: /private/\r\n" + std::string(600 * 1024, '#');
    rig.web.SetPage("shop.example.com", "/robots.txt", robots);
    rig.web.SetResponse("chunked.example.com", "/robots.txt",
                        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + ChunksOf(robots));
    for (const std::string host : {"shop.example.com", "chunked.example.com"}) {
        auto download = rig.Make();
        download->SetBodyCap(500 * 1024);
        ASSERT_EQ(Fetch(*download, host, "/robots.txt", true), Outcome::Page) << host;
        EXPECT_EQ(download->TakePage(), robots.substr(0, 500 * 1024)) << host;
    }
}

// What a page or a redirect names must not reach the user's own machine under any spelling.
TEST(DownloadTest, LoopbackUnderAnyNameIsRefusedAtOnceUnlessAllowed) {
    const std::vector<std::string> hosts{
        "localhost", "127.0.0.1", "2130706433",         "0x7f.1",          "127.1",   "0",
        "0.0.0.0",   "[::1]",     "[::ffff:127.0.0.1]", "169.254.169.254", "10.1.2.3"};
    Rig rig;
    for (const bool secureWeb : {false, true}) {
        for (const std::string& host : hosts) {
            auto download = rig.Make(false);
            download->SetAllowPrivateAddresses(false);
            download->SetTimeouts(300, 1000); // three seconds: a refusal must not wait for them
            QElapsedTimer clock;
            clock.start();
            EXPECT_EQ(Fetch(*download, host + ":" + std::to_string(rig.web.Port()), "/latest/meta-data/iam",
                            secureWeb),
                      Outcome::Unreachable)
                << host << (secureWeb ? " secure" : " classic");
            EXPECT_LT(clock.elapsed(), 2500) << host;
        }
    }
    EXPECT_EQ(rig.web.RequestCount(), 0u);
}

// The route stands for name resolution: a public-looking name that resolves to loopback, or an
// answer written as a bare number, is checked by the address it gives.
TEST(DownloadTest, APublicNameThatResolvesToLoopbackIsRefused) {
    Rig rig;
    rig.web.SetPage("public.example.com", "/", "page");
    for (const QString& answer :
         {QStringLiteral("127.0.0.1"), QStringLiteral("2130706433"), QStringLiteral("::1")}) {
        DownloadRoutes routes;
        const quint16 port = rig.web.Port();
        routes.plain = [answer, port](const std::string&) { return Endpoint{answer, port}; };
        Download download(routes);
        download.SetTickInterval(10);
        download.SetTimeouts(300, 1000);
        EXPECT_EQ(Fetch(download, "public.example.com", "/", false), Outcome::Unreachable)
            << answer.toStdString();
        if (answer != QStringLiteral("::1")) { // the fixture listens on IPv4 loopback only
            download.SetAllowPrivateAddresses(true);
            EXPECT_EQ(Fetch(download, "public.example.com", "/", false), Outcome::Page)
                << answer.toStdString();
        }
    }
    EXPECT_EQ(rig.web.RequestCount(), 2u);
}

TEST(DownloadTest, TheClassicCrawlConnectsToPortEightyWhateverTheLinkSays) {
    Rig rig;
    rig.web.SetPage("127.0.0.1:" + std::to_string(rig.web.Port()), "/admin", "reached");
    auto download = rig.Make(false);
    // Allowed, so it is not refused: it goes to port 80, where nothing of the fixture listens.
    const Outcome outcome = Fetch(*download, "127.0.0.1:" + std::to_string(rig.web.Port()), "/admin", false);
    EXPECT_NE(outcome, Outcome::Unreachable);
    EXPECT_EQ(rig.web.RequestCount(), 0u);
}

TEST(DownloadTest, NothingFromAPageReachesTheRequestUnescaped) {
    for (const bool secureWeb : {false, true}) {
        Rig rig(secureWeb);
        rig.web.SetGenerator(
            [](const std::string&, const std::string&) { return FixtureWeb::OkResponse("ok"); });
        auto download = rig.Make();
        ASSERT_EQ(Fetch(*download, "shop.example.com", "/x\nSET pwned 1\nQUIT\n\xE9", secureWeb),
                  Outcome::Page);
        ASSERT_EQ(rig.web.RequestCount(), 1u);
        // The secure web names the crawler and offers gzip after the Host line.
        const std::string polite = secureWeb ? std::string("User-Agent: Tarnwick/") + TARNWICK_VERSION +
                                                   " (+https://" TARNWICK_WEBSITE_ADDRESS
                                                   ")\r\nAccept-Encoding: gzip\r\n"
                                             : std::string();
        EXPECT_EQ(rig.web.Requests()[0].bytes, "GET /x%0ASET%20pwned%201%0AQUIT%0A%E9 HTTP/1.1\r\nHost: "
                                               "shop.example.com\r\n" +
                                                   polite + "Connection: close\r\nAccept: */*\r\n\r\n");
        for (const char* host :
             {"evil.example.com\r\nX-Injected: 1", "a b.example.com", "", "user@example.com"}) {
            EXPECT_EQ(Fetch(*download, host, "/", secureWeb), Outcome::Unreachable) << host;
        }
        EXPECT_EQ(rig.web.RequestCount(), 1u);
    }
}

struct ResponseCase {
    const char* name;
    std::string response;
    Outcome outcome;
    std::string page;
};

TEST(DownloadTest, OnTheSecureWebABrokenResponseIsNotAPage) {
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::vector<ResponseCase> cases{
        {"closed before its length", ok + "Content-Length: 100\r\n\r\nshort", Outcome::Failed, ""},
        {"no last chunk", ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", Outcome::Failed, ""},
        {"malformed chunk", ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhelloXX", Outcome::Failed, ""},
        {"chunk-size line over 4 KiB", ok + "Transfer-Encoding: chunked\r\n\r\n5;" + std::string(5000, 'e'),
         Outcome::Failed, ""},
        {"bare LF lines", "HTTP/1.1 200 OK\nContent-Length: 5\n\nhello", Outcome::Page, "hello"},
        {"chunk sizes with leading zeros",
         ok + "Transfer-Encoding: chunked\r\n\r\n00000000000000000005\r\nhello\r\n0000\r\n\r\n",
         Outcome::Page, "hello"},
        {"not chunked", ok + "Transfer-Encoding: notchunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", Outcome::Page,
         "5\r\nhello\r\n0\r\n\r\n"},
        {"chunked stays chunked",
         ok + "Transfer-Encoding: chunked\r\nTransfer-Encoding: identity\r\n\r\n2\r\nok\r\n0\r\n\r\n",
         Outcome::Page, "ok"},
    };
    Rig rig(true);
    auto download = rig.Make();
    for (const ResponseCase& c : cases) {
        rig.web.SetResponse("shop.example.com", "/", c.response);
        ASSERT_EQ(Fetch(*download, "shop.example.com", "/", true), c.outcome) << c.name;
        if (c.outcome == Outcome::Page) {
            EXPECT_EQ(download->TakePage(), c.page) << c.name;
        }
    }
    rig.web.SetHostility("endless.example.com", Hostility::HeaderWithoutEnd);
    EXPECT_EQ(Fetch(*download, "endless.example.com", "/", true), Outcome::Failed);
}

TEST(DownloadTest, AFailedCertificateIsNeverFollowedByPlainHttp) {
    const struct {
        const char* name;
        std::string host;
        bool trustTestAuthority;
    } cases[] = {
        {"name not in certificate", "mismatch.invalid-name.net", true},
        {"untrusted authority", "shop.example.com", false},
    };
    for (const auto& c : cases) {
        Rig rig(true);
        rig.web.SetPage(c.host, "/", "plain page");
        auto download = rig.Make(true, c.trustTestAuthority);
        EXPECT_EQ(Fetch(*download, c.host, "/", true), Outcome::Unreachable) << c.name;
        EXPECT_EQ(rig.web.RequestCount(), 0u) << c.name;
    }
    // Without a certificate, a refused https still falls back.
    Rig rig(true);
    rig.refuseSecure = "shop.example.com";
    rig.web.SetPage("shop.example.com", "/", "plain page");
    auto download = rig.Make();
    ASSERT_EQ(Fetch(*download, "shop.example.com", "/", true), Outcome::Page);
    EXPECT_EQ(download->TakePage(), "plain page");
    EXPECT_FALSE(download->url().https);
}

TEST(DownloadTest, ARedirectFromHttpsToHttpIsNotFollowed) {
    Rig rig(true);
    rig.web.SetResponse(
        "shop.example.com", "/",
        "HTTP/1.1 301 Moved\r\nLocation: http://shop.example.com/plain\r\nContent-Length: 0\r\n\r\n");
    rig.web.SetPage("shop.example.com", "/plain", "plain page");
    auto download = rig.Make();
    EXPECT_EQ(Fetch(*download, "shop.example.com", "/", true), Outcome::Failed);
    EXPECT_FALSE(rig.web.WasRequested("shop.example.com", "/plain"));
    EXPECT_EQ(rig.web.RequestCount(), 1u);
}

} // namespace
} // namespace tarnwick::test
