// The secure-web option on the loopback TLS fixture: https first with fallback to http,
// certificate checks, redirects, chunked bodies, every link of a page and the fetched memory.
#include "EngineHarness.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace tarnwick::test {
namespace {

const std::string kFax = "<body><p>Fax: (212) 555-0188</p>";

// Starts a secure harvest whose only website is `website`; the other slots wait under
// "Continue Until Stopped".
void HarvestOne(EngineHarness& h, const std::string& website) {
    h.engine().options().cmbLastSearch = 1;
    h.Phrases({"plumbers"});
    h.Queue({website});
    h.engine().cmdDoSearch_Click();
}

// The requests of pages: each host's robots.txt is asked for before its first page.
std::vector<RecordedRequest> PageRequests(const EngineHarness& h) {
    std::vector<RecordedRequest> requests = h.web.Requests();
    std::erase_if(requests, [](const RecordedRequest& r) { return r.path == "/robots.txt"; });
    return requests;
}

bool StoredNumber(EngineHarness& h, const std::string& number) {
    const std::vector<FaxRow> faxes = h.StoredFaxes();
    return std::any_of(faxes.begin(), faxes.end(), [&](const FaxRow& row) { return row.fax == number; });
}

std::string Redirect(int status, const std::string& location) {
    return "HTTP/1.1 " + std::to_string(status) + " Moved\r\nLocation: " + location +
           "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

// Every website of `host` the page chain queued: still in the queue, moved into the work list
// or already fetched from there; the page `except` left out.
std::set<std::string> SeenWebsites(EngineHarness& h, const std::string& host, const std::string& except) {
    std::set<std::string> seen;
    const auto add = [&](const std::string& website) {
        if (website.starts_with(host + "/") && website != except) {
            seen.insert(website);
        }
    };
    for (std::string website = h.db().FirstQueuedWebsite(); !website.empty();
         website = h.db().FirstQueuedWebsite()) {
        add(website);
        h.db().DeleteWebsite(website);
    }
    for (const std::string& website : h.engine().List(ListId::List2)) {
        add(website);
    }
    for (const RecordedRequest& r : PageRequests(h)) {
        add(r.host + r.path);
    }
    return seen;
}

TEST(EngineSecure, FetchesOverHttpsWithThePoliteRequestAndShowsTheScheme) {
    EngineHarness h(true);
    h.refusePlain.insert("shop.example.com");
    h.web.SetPage("shop.example.com", "/contact.html", kFax);
    QSignalSpy status(&h.engine().view(), &RunView::statusTextChanged);
    HarvestOne(h, "shop.example.com/contact.html");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return StoredNumber(h, "1-212-555-0188"); }));

    const std::vector<RecordedRequest> requests = PageRequests(h);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].secure);
    EXPECT_EQ(requests[0].bytes, std::string("GET /contact.html HTTP/1.1\r\nHost: shop.example.com\r\n"
                                             "User-Agent: Tarnwick/") +
                                     TARNWICK_VERSION +
                                     " (+https://" TARNWICK_WEBSITE_ADDRESS ")\r\nAccept-Encoding: gzip\r\n"
                                     "Connection: close\r\nAccept: */*\r\n\r\n");
    const bool shown = std::any_of(status.begin(), status.end(), [](const QList<QVariant>& args) {
        return args.at(0).toInt() == 1 &&
               args.at(1).toString() == QStringLiteral("Downloading: https://shop.example.com/contact.html");
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(FileText(h.appFolder() + "/html0.txt"), kFax + "\r\n");
}

struct FallbackCase {
    const char* name;
    std::string host;
    bool refuseSecure;
    bool trustTestAuthority;
};

class EngineSecureFallback : public testing::TestWithParam<FallbackCase> {};

TEST_P(EngineSecureFallback, FetchesTheSameWebsiteOverHttpOnce) {
    const FallbackCase& c = GetParam();
    EngineHarness h(true, c.trustTestAuthority);
    if (c.refuseSecure) {
        h.refuseSecure.insert(c.host);
    }
    h.web.SetPage(c.host, "/", kFax);
    HarvestOne(h, c.host + "/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return StoredNumber(h, "1-212-555-0188"); }));

    const std::vector<RecordedRequest> requests = PageRequests(h);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].secure);
    EXPECT_EQ(requests[0].host, c.host);
    EXPECT_EQ(h.engine().TimedOutHosts(), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineSecureFallback,
                         testing::Values(FallbackCase{"HttpsRefused", "refused.example.com", true, true}),
                         [](const testing::TestParamInfo<FallbackCase>& info) {
                             return std::string(info.param.name);
                         });

// A certificate that fails its check is what someone between the user and the server shows;
// plain http would hand them the page, so the website is skipped like a refused host.
class EngineSecureNoDowngrade : public testing::TestWithParam<FallbackCase> {};

TEST_P(EngineSecureNoDowngrade, SkipsTheHostWithoutTryingHttp) {
    const FallbackCase& c = GetParam();
    EngineHarness h(true, c.trustTestAuthority);
    h.web.SetPage(c.host, "/", kFax);
    HarvestOne(h, c.host + "/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().TimedOutHosts() == c.host; }));
    EngineHarness::Pump(100);
    EXPECT_EQ(PageRequests(h).size(), 0u);
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 0);
    EXPECT_TRUE(h.StoredFaxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineSecureNoDowngrade,
    testing::Values(FallbackCase{"NameNotInCertificate", "mismatch.invalid-name.net", false, true},
                    FallbackCase{"UntrustedAuthority", "shop.example.com", false, false}),
    [](const testing::TestParamInfo<FallbackCase>& info) { return std::string(info.param.name); });

TEST(EngineSecure, ARedirectFromHttpsToHttpEndsTheWebsiteUnscanned) {
    EngineHarness h(true);
    h.web.SetResponse("shop.example.com", "/", Redirect(302, "http://shop.example.com/plain"));
    h.web.SetPage("shop.example.com", "/plain", kFax);
    h.web.SetPage("after.example.com", "/", "after");
    HarvestOne(h, "shop.example.com/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return PageRequests(h).size() == 1u; }));
    EngineHarness::Pump(200);
    EXPECT_FALSE(h.web.WasRequested("shop.example.com", "/plain"));
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 0);
    EXPECT_EQ(h.engine().TimedOutHosts(), "");

    // The slot goes on with the next website.
    h.Queue({"after.example.com/"});
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesScanned == 1; }));
}

TEST(EngineSecure, AnHttpRedirectToHttpsIsFollowedBySameSlot) {
    EngineHarness h(true);
    h.refuseSecure.insert("old.example.com");
    h.web.SetResponse("old.example.com", "/", Redirect(301, "https://new.example.com/welcome"));
    h.web.SetPage("new.example.com", "/welcome", kFax + "<a href=\"more.html\">more</a>");
    HarvestOne(h, "old.example.com");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return StoredNumber(h, "1-212-555-0188"); }));

    EXPECT_TRUE(h.web.WasRequested("old.example.com", "/"));
    EXPECT_TRUE(h.web.WasRequestedSecure("new.example.com", "/welcome"));
    EXPECT_EQ(h.StoredFaxes()[0].website, "new.example.com/welcome");
    // Links resolve against the address of the last response; a waiting slot fetches the link.
    ASSERT_TRUE(
        EngineHarness::WaitFor([&] { return h.web.WasRequestedSecure("new.example.com", "/more.html"); }));
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 1);
    EXPECT_EQ(SeenWebsites(h, "new.example.com", "new.example.com/welcome"),
              std::set<std::string>{"new.example.com/more.html"});
}

TEST(EngineSecure, ARelativeLocationIsResolvedAgainstTheRequestedUrl) {
    EngineHarness h(true);
    h.web.SetResponse("shop.example.com", "/a/b.html", Redirect(302, "../c/d.html?x=1"));
    h.web.SetPage("shop.example.com", "/c/d.html?x=1", kFax);
    HarvestOne(h, "shop.example.com/a/b.html");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return StoredNumber(h, "1-212-555-0188"); }));
    EXPECT_TRUE(h.web.WasRequestedSecure("shop.example.com", "/c/d.html?x=1"));
}

TEST(EngineSecure, ARedirectLoopEndsAtTheSixthRedirectWithNothingSaved) {
    EngineHarness h(true);
    h.web.SetResponse("loop.example.com", "/", Redirect(307, "/again"));
    h.web.SetResponse("loop.example.com", "/again",
                      "HTTP/1.1 302 Found\r\nLocation: https://loop.example.com/again\r\n\r\n" + kFax);
    h.web.SetPage("after.example.com", "/", "after");
    const auto loopRequests = [&] {
        const std::vector<RecordedRequest> requests = PageRequests(h);
        return std::count_if(requests.begin(), requests.end(),
                             [](const RecordedRequest& r) { return r.host == "loop.example.com"; });
    };
    HarvestOne(h, "loop.example.com/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return loopRequests() >= 6; }));
    EngineHarness::Pump(200);
    EXPECT_EQ(loopRequests(), 6); // the first request and five redirects followed
    EXPECT_FALSE(FileExists(h.appFolder() + "/html0.txt"));
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 0);
    EXPECT_EQ(h.engine().TimedOutHosts(), "");

    // The slot goes on with the next website.
    h.Queue({"after.example.com/"});
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesScanned == 1; }));
    EXPECT_TRUE(h.StoredFaxes().empty());
}

TEST(EngineSecure, AChunkedBodyIsDecodedAndANumberSplitAcrossChunksIsFoundOnce) {
    EngineHarness h(true);
    h.web.SetResponse("chunks.example.com", "/",
                      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                      "12\r\n<body><p>Fax: (212\r\n"
                      "b;note=split\r\n) 555-0188 \r\n"
                      "5\r\nnow.<\r\n"
                      "0\r\n\r\n");
    HarvestOne(h, "chunks.example.com");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesScanned == 1; }));
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !h.StoredFaxes().empty(); }));
    EngineHarness::Pump(50);
    const std::vector<FaxRow> faxes = h.StoredFaxes();
    ASSERT_EQ(faxes.size(), 1u);
    EXPECT_EQ(faxes[0].fax, "1-212-555-0188");
    EXPECT_EQ(FileText(h.appFolder() + "/html0.txt"), "<body><p>Fax: (212) 555-0188 now.<\r\n");
}

TEST(EngineSecure, AnLfOnlyPageWithThirtyLinksQueuesEveryOne) {
    EngineHarness h(true);
    h.engine().SetTimeouts(300, 1000); // waiting slots stay asleep while the page is read
    std::string page = "<html>\n<body>\n";
    std::set<std::string> expected;
    for (int i = 0; i < 30; ++i) {
        page += "<a href=\"/p" + std::to_string(i) + ".html\">page " + std::to_string(i) + "</a>";
        page += i % 2 == 0 ? "\n" : " ";
        expected.insert("links.example.com/p" + std::to_string(i) + ".html");
    }
    page += "</body>\n</html>\n";
    h.web.SetPage("links.example.com", "/", page);
    HarvestOne(h, "links.example.com");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesFound >= 30; }));
    h.engine().cmdStop_Click();
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 30);
    EXPECT_EQ(SeenWebsites(h, "links.example.com", "links.example.com/"), expected);
}

TEST(EngineSecure, RootAndParentLinksResolveFromTheHostRootAndTheParentDirectory) {
    EngineHarness h(true);
    h.engine().SetTimeouts(300, 1000);
    h.web.SetPage("deep.example.com", "/dir/sub/page.html",
                  "<a href=/x.html>root</a> <a href='../y.html'>parent</a> <a href=\"z.html#top\">here</a>\n"
                  "<a href=\"#only\">fragment</a><a href=\"mailto:a@b.com\">mail</a><a "
                  "href=\"pic.JPG?s=1\">img</a>");
    HarvestOne(h, "deep.example.com/dir/sub/page.html");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesFound >= 3; }));
    EngineHarness::Pump(50);
    h.engine().cmdStop_Click();
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 3);
    EXPECT_EQ(SeenWebsites(h, "deep.example.com", "deep.example.com/dir/sub/page.html"),
              (std::set<std::string>{"deep.example.com/dir/sub/z.html", "deep.example.com/dir/y.html",
                                     "deep.example.com/x.html"}));
}

TEST(EngineSecure, AFetchedWebsiteIsNotQueuedAgainSoAFiniteWebEnds) {
    EngineHarness h(true);
    h.engine().SetTimeouts(20, 200); // waiting slots look for work every 200 ms
    h.web.SetPage("ring.example.com", "/",
                  "<a href=\"/b\">b</a>\n<a href=\"https://RING.example.com/\">home</a>");
    h.web.SetPage("ring.example.com", "/b",
                  "<a href=\"/\">home</a>\n<a href=\"/b\">self</a>\n<a href=/c>c</a>");
    h.web.SetPage("ring.example.com", "/c",
                  "<a href=\"/b\">b</a> <a href=\"http://ring.example.com\">home</a>");
    HarvestOne(h, "ring.example.com");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.WasRequested("ring.example.com", "/c"); }));
    EngineHarness::Pump(600);

    std::vector<std::string> paths;
    for (const RecordedRequest& r : PageRequests(h)) {
        if (r.host == "ring.example.com") {
            paths.push_back(r.path);
        }
    }
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"/", "/b", "/c"}));
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 2); // "/b" and "/c", each once
}

// A link whose query holds "http://" is requested as linked, and once: it matches what was
// fetched, so the page linking to itself does not queue it again.
TEST(EngineSecure, ALinkWithHttpInItsQueryIsFetchedAsLinkedAndOnce) {
    EngineHarness h(true);
    h.engine().SetTimeouts(20, 200); // waiting slots look for work every 200 ms
    const std::string go = "/go?next=http://shop.example.com/";
    h.web.SetPage("ring.example.com", "/", "<a href=\"" + go + "\">go</a>");
    h.web.SetPage("ring.example.com", go, "<a href=\"" + go + "\">again</a>");
    HarvestOne(h, "ring.example.com/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.WasRequested("ring.example.com", go); }));
    EngineHarness::Pump(600);

    std::vector<std::string> paths;
    for (const RecordedRequest& r : PageRequests(h)) {
        paths.push_back(r.path);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"/", go}));
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 1);
}

TEST(EngineSecure, ARefusedHostIsSkippedAtOnceAndFromThenOn) {
    EngineHarness h(true);
    h.engine().SetTimeouts(300, 1000); // three seconds idle: longer than the refusal may take
    h.refuseSecure.insert("down.example.com");
    h.refusePlain.insert("down.example.com");
    h.web.SetPage("up.example.com", "/", kFax);
    QElapsedTimer clock;
    clock.start();
    HarvestOne(h, "down.example.com/");
    ASSERT_TRUE(
        EngineHarness::WaitFor([&] { return h.engine().TimedOutHosts() == "down.example.com"; }, 2500));
    EXPECT_LT(clock.elapsed(), 2500);

    // The next website of that host is skipped without a connection; the one after is fetched.
    h.Queue({"down.example.com/other", "up.example.com/"});
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return StoredNumber(h, "1-212-555-0188"); }, 8000));
    EXPECT_EQ(h.engine().TimedOutHosts(), "down.example.com");
    EXPECT_EQ(PageRequests(h).size(), 1u);
}

} // namespace
} // namespace tarnwick::test
