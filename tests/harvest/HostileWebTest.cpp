// A hostile web against the whole engine: links into the user's own machine are skipped at once,
// an injected line never reaches a request, and a broken secure response is not a page.
#include "EngineHarness.h"

#include <QElapsedTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

class EngineLoopback : public testing::TestWithParam<bool> {};

// The fixture web runs on loopback, so with the check on every host it serves counts as the
// user's own machine: a public-looking name resolving there, or loopback written as a link.
TEST_P(EngineLoopback, ALoopbackWebsiteIsSkippedAtOnceUnlessAllowed) {
    const bool secureWeb = GetParam();
    EngineHarness h(secureWeb);
    h.engine().options().allowPrivateAddresses = false;
    h.engine().SetTimeouts(300, 1000); // three seconds idle: a refusal must not wait for them
    h.engine().options().cmbLastSearch = 1;
    h.web.SetPage("localhost", "/admin?do=reboot", "rebooted");
    h.web.SetPage("public.example.com", "/", "<body><p>Fax: (212) 555-0188</p>");
    h.Phrases({"plumbers"});
    // The classic take drops the first website of a batch; the secure one fetches it.
    if (secureWeb) {
        h.Queue({"localhost/admin?do=reboot"});
    } else {
        h.Queue({"dropped.example.com/", "localhost/admin?do=reboot"});
    }
    QElapsedTimer clock;
    clock.start();
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().TimedOutHosts() == "localhost"; }, 2500));
    EXPECT_LT(clock.elapsed(), 2500);

    h.Queue({"public.example.com/"});
    ASSERT_TRUE(
        EngineHarness::WaitFor([&] { return h.engine().TimedOutHosts() == "localhostpublic.example.com"; }));
    EXPECT_EQ(h.web.RequestCount(), 0u);
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 0);

    // Allowed, the same web is crawled.
    h.engine().options().allowPrivateAddresses = true;
    h.web.SetPage("shop.example.com", "/", "<body><p>Fax: (212) 555-0199</p>");
    h.Queue({"shop.example.com/"});
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !h.StoredFaxes().empty(); }));
    EXPECT_EQ(h.StoredFaxes()[0].fax, "1-212-555-0199");
}

INSTANTIATE_TEST_SUITE_P(Modes, EngineLoopback, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Secure" : "Classic");
                         });

// A page line split only at CR keeps its LF inside the link; the request still has its four lines.
TEST(EngineHostileWeb, AnInjectedLineNeverReachesTheRequest) {
    EngineHarness h;
    h.engine().options().cmbLastSearch = 1;
    h.web.SetPage("links.example.com", "/", "<a href=\"/x\nSET pwned 1\nQUIT\n\">x</a>\r\n");
    h.web.SetGenerator([](const std::string&, const std::string&) { return FixtureWeb::OkResponse("ok"); });
    h.Phrases({"plumbers"});
    h.Queue({"dropped.example.com/", "links.example.com/"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.RequestCount() >= 2u; }));
    const RecordedRequest injected = h.web.Requests()[1];
    EXPECT_EQ(injected.bytes, "GET /x%0ASET%20pwned%201%0AQUIT%0A HTTP/1.1\r\nHost: links.example.com\r\n"
                              "Connection: close\r\nAccept: */*\r\n\r\n");
}

TEST(EngineHostileWeb, ASecureResponseCutShortIsNotCountedScanned) {
    EngineHarness h(true);
    h.engine().options().cmbLastSearch = 1;
    h.web.SetResponse("short.example.com", "/",
                      "HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n<body><p>Fax: (212) 555-0188</p>");
    h.web.SetPage("after.example.com", "/", "<body><p>Fax: (212) 555-0199</p>");
    h.Phrases({"plumbers"});
    h.Queue({"short.example.com/", "after.example.com/"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !h.StoredFaxes().empty(); }));
    EngineHarness::Pump(100);
    const std::vector<FaxRow> faxes = h.StoredFaxes();
    ASSERT_EQ(faxes.size(), 1u);
    EXPECT_EQ(faxes[0].fax, "1-212-555-0199");
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 1);
    EXPECT_EQ(h.engine().TimedOutHosts(), "");
}

} // namespace
} // namespace tarnwick::test
