// The secure web's take and end of a harvest on the loopback fixture web: every queued website
// is fetched, and the harvest ends only when no download or page is left.
#include "EngineHarness.h"
#include "Gzipped.h"

#include <QSignalSpy>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>

namespace tarnwick::test {
namespace {

std::string FaxPage(const std::string& number) {
    return "<body><p>Fax: (212) 555-" + number + "</p>";
}

std::string GzipResponse(const std::string& body, bool chunked) {
    std::string head = "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n";
    if (!chunked) {
        return head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }
    std::string response = head + "Transfer-Encoding: chunked\r\n\r\n";
    for (std::size_t at = 0; at < body.size(); at += 1000) {
        const std::string chunk = body.substr(at, 1000);
        char size[16];
        std::snprintf(size, sizeof size, "%zx", chunk.size());
        response += std::string(size) + "\r\n" + chunk + "\r\n";
    }
    return response + "0\r\n\r\n";
}

bool StoredNumber(EngineHarness& h, const std::string& number) {
    const std::vector<FaxRow> faxes = h.StoredFaxes();
    return std::any_of(faxes.begin(), faxes.end(), [&](const FaxRow& row) { return row.fax == number; });
}

TEST(EnginePolite, TheFirstWebsiteOfAFreshBatchIsFetched) {
    EngineHarness h(true);
    h.web.SetPage("first.example.com", "/", FaxPage("0101"));
    h.web.SetPage("second.example.com", "/", FaxPage("0102"));
    h.Phrases({"plumbers"});
    h.Queue({"first.example.com/", "second.example.com/"});
    QSignalSpy ended(&h.engine(), &HarvestEngine::harvestEnded);
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !ended.isEmpty(); }));

    EXPECT_TRUE(h.web.WasRequestedSecure("first.example.com", "/"));
    EXPECT_TRUE(h.web.WasRequestedSecure("second.example.com", "/"));
    EXPECT_TRUE(StoredNumber(h, "1-212-555-0101"));
    EXPECT_TRUE(StoredNumber(h, "1-212-555-0102"));
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 2);
}

// Slots that wait for robots.txt or for a host's turn take nothing; only websites taken from the
// queue count towards the advance, so the 1001st website advances, not the 1001st pass.
TEST(EnginePolite, OnlyWebsitesTakenFromTheQueueCountTowardsTheAdvance) {
    EngineHarness h(true);
    h.web.SetGenerator([](const std::string&, const std::string& path) -> std::optional<std::string> {
        if (path != "/") {
            return std::nullopt;
        }
        return test::FixtureWeb::OkResponse("<p>Open Monday to Friday</p>");
    });
    h.engine().options().cmbLastSearch = 0;
    h.engine().options().chkAuto = true;
    h.engine().SetAdvanceIndex(0);
    ASSERT_EQ(h.engine().AdvanceAfter(), 1000);
    h.Phrases({"plumbers"});
    std::vector<std::string> sites;
    for (int i = 0; i < 1001; ++i) {
        sites.push_back("shop" + std::to_string(i) + ".example.com/");
    }
    h.Queue(sites);
    QSignalSpy ended(&h.engine(), &HarvestEngine::harvestEnded);
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !ended.isEmpty(); }, 110000));

    int fetched = 0;
    for (const std::string& site : sites) {
        fetched += h.web.WasRequestedSecure(site.substr(0, site.size() - 1), "/") ? 1 : 0;
    }
    // The advance stops the harvest at once: downloads still in flight then (one per other slot
    // at most) are abandoned, as on Stop.
    EXPECT_LE(fetched, 1000) << "the 1001st website advanced the harvest instead of being fetched";
    EXPECT_GE(fetched, 1000 - 9);
    EXPECT_GE(h.engine().Stats().sessionSitesScanned, 1000 - 9);
}

// A slot that finds the queue empty while a slow download is still running waits for it: its
// page, and the website it links to, are read before the harvest ends or moves on.
struct EndCase {
    const char* name;
    std::vector<std::string> phrases;
    int listBuilderLoads; // after the harvest ended
};

class EnginePoliteEnd : public testing::TestWithParam<EndCase> {};

TEST_P(EnginePoliteEnd, TheHarvestWaitsForTheLastDownload) {
    const EndCase& c = GetParam();
    EngineHarness h(true);
    h.web.SetPage("fast.example.com", "/", FaxPage("0201"));
    h.web.SetPage("slow.example.com", "/", FaxPage("0202") + "<a href=\"/next\">next</a>");
    h.web.SetPage("slow.example.com", "/next", FaxPage("0203"));
    h.web.SetHostility("slow.example.com", Hostility::Drip);
    h.web.SetDripInterval(std::chrono::milliseconds(2));
    h.Phrases(c.phrases);
    h.Queue({"fast.example.com/", "slow.example.com/"});
    QSignalSpy ended(&h.engine(), &HarvestEngine::harvestEnded);
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !ended.isEmpty(); }, 20000));

    EXPECT_TRUE(StoredNumber(h, "1-212-555-0201"));
    EXPECT_TRUE(StoredNumber(h, "1-212-555-0202"));
    EXPECT_TRUE(StoredNumber(h, "1-212-555-0203"));
    EXPECT_EQ(ended.size(), 1);
    EXPECT_EQ(h.launcher.loads, c.listBuilderLoads);
}

INSTANTIATE_TEST_SUITE_P(Cases, EnginePoliteEnd,
                         testing::Values(EndCase{"LastPhraseEnds", {"plumbers"}, 0},
                                         EndCase{"NextPhraseFollows", {"plumbers", "roofers"}, 1}),
                         [](const testing::TestParamInfo<EndCase>& info) {
                             return std::string(info.param.name);
                         });

// A gzip page is read whole, also when it came in chunks: its number at the end is found. A
// body that is not the gzip it claims is not a page.
TEST(EnginePolite, AGzipPageIsDecodedWholeAndABrokenOneIsNotAPage) {
    EngineHarness h(true);
    std::string page = "<body>";
    while (page.size() < 400'000) {
        page += "<p>Filler text of a long page " + std::to_string(page.size()) + "</p>\r\n";
    }
    page += FaxPage("0301");
    const std::string gzipped = Gzipped(page);
    h.web.SetResponse("plain.example.com", "/", GzipResponse(gzipped, false));
    h.web.SetResponse("chunked.example.com", "/", GzipResponse(gzipped, true));
    std::string broken = Gzipped(FaxPage("0302"));
    broken[broken.size() / 2] = static_cast<char>(broken[broken.size() / 2] ^ 0x55);
    h.web.SetResponse("broken.example.com", "/", GzipResponse(broken, false));
    h.Phrases({"plumbers"});
    h.Queue({"plain.example.com/", "chunked.example.com/", "broken.example.com/"});
    QSignalSpy ended(&h.engine(), &HarvestEngine::harvestEnded);
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !ended.isEmpty(); }));

    const std::vector<FaxRow> faxes = h.StoredFaxes();
    ASSERT_EQ(faxes.size(), 1u); // the same number on two websites is stored once
    EXPECT_EQ(faxes[0].fax, "1-212-555-0301");
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 2);
    EXPECT_TRUE(h.web.WasRequestedSecure("broken.example.com", "/"));
}

// Requests of pages of `host`, its robots.txt left out.
int RequestsTo(const EngineHarness& h, const std::string& host) {
    const std::vector<RecordedRequest> requests = h.web.Requests();
    return static_cast<int>(std::count_if(requests.begin(), requests.end(), [&](const RecordedRequest& r) {
        return r.host == host && r.path != "/robots.txt";
    }));
}

// Downloads that never end stay open: the host gets one start per second of the engine's
// clock and never more than two at once, while a website of another host is fetched meanwhile.
TEST(EnginePolite, AHostGetsTwoDownloadsAtMostAndASecondBetweenStarts) {
    EngineHarness h(true);
    std::int64_t now = 1'000'000'000;
    h.clock = [&now] { return now; };
    h.engine().SetTimeouts(1000, 2000); // the silent downloads stay open for the whole test
    h.engine().options().cmbLastSearch = 1;
    // Pages that announce more than they send, on connections the host keeps open.
    h.web.SetHostility("slow.example.com", Hostility::NeverClose);
    h.web.SetGenerator([](const std::string& host, const std::string& path) -> std::optional<std::string> {
        if (host != "slow.example.com" || path == "/robots.txt") {
            return std::nullopt;
        }
        return "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n<body>";
    });
    h.web.SetPage("other.example.com", "/", FaxPage("0401"));
    h.Phrases({"plumbers"});
    h.Queue({"slow.example.com/1", "slow.example.com/2", "slow.example.com/3", "slow.example.com/4",
             "other.example.com/"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return StoredNumber(h, "1-212-555-0401"); }));
    EngineHarness::Pump(200);
    EXPECT_EQ(RequestsTo(h, "slow.example.com"), 1);
    EXPECT_EQ(h.engine().StatusText(StatusPanel::Download), "Waiting for slow.example.com");

    now += 999;
    EngineHarness::Pump(200);
    EXPECT_EQ(RequestsTo(h, "slow.example.com"), 1);
    now += 1;
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return RequestsTo(h, "slow.example.com") == 2; }, 3000));

    now += 5000;
    EngineHarness::Pump(1500);
    EXPECT_EQ(RequestsTo(h, "slow.example.com"), 2);
    h.engine().cmdStop_Click();
}

// A 429 rests the host for its Retry-After and the website is fetched again after it; the second
// 429 or 503 of a host skips it for the run, its other websites unfetched.
TEST(EnginePolite, A429RestsTheHostForItsRetryAfterAndASecondOneSkipsIt) {
    EngineHarness h(true);
    std::int64_t now = 1'000'000'000;
    h.clock = [&now] { return now; };
    h.engine().options().cmbLastSearch = 1;
    auto busyAnswers = std::make_shared<std::atomic<int>>(0);
    h.web.SetGenerator(
        [busyAnswers](const std::string& host, const std::string& path) -> std::optional<std::string> {
            if (path == "/robots.txt") {
                return std::nullopt;
            }
            if (host == "busy.example.com" && busyAnswers->fetch_add(1) == 0) {
                return "HTTP/1.1 429 Too Many Requests\r\nRetry-After: 2\r\nContent-Length: 0\r\n\r\n";
            }
            if (host == "down.example.com") {
                return "HTTP/1.1 503 Unavailable\r\nContent-Length: 0\r\n\r\n";
            }
            return FixtureWeb::OkResponse(FaxPage("0501"));
        });
    h.Phrases({"plumbers"});
    h.Queue({"busy.example.com/", "down.example.com/a", "down.example.com/b"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return RequestsTo(h, "busy.example.com") == 1; }));
    EngineHarness::Pump(300);
    EXPECT_EQ(RequestsTo(h, "busy.example.com"), 1);
    EXPECT_FALSE(StoredNumber(h, "1-212-555-0501"));
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 0);

    now += 2000;
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return StoredNumber(h, "1-212-555-0501"); }, 4000));
    EXPECT_EQ(RequestsTo(h, "busy.example.com"), 2);

    // down.example.com: the default pause of a minute, then its second 503 skips it.
    EXPECT_EQ(RequestsTo(h, "down.example.com"), 1);
    now += 60'000;
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return RequestsTo(h, "down.example.com") == 2; }, 4000));
    now += 600'000;
    EngineHarness::Pump(1000);
    EXPECT_EQ(RequestsTo(h, "down.example.com"), 2);
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 1);
    EXPECT_TRUE(h.engine().List(ListId::List2).empty());
}

// robots.txt is read before a host's first page: what it disallows is never requested, and a host
// whose robots.txt answers 5xx gives nothing in this run.
TEST(EnginePolite, WhatRobotsTxtDisallowsIsNeverRequested) {
    EngineHarness h(true);
    h.web.SetPage("shop.example.com", "/robots.txt",
                  "User-agent: other\nDisallow: /\n\nUser-agent: *\nDisallow: /private\n");
    h.web.SetPage("shop.example.com", "/public", FaxPage("0601") + "<a href=\"/private/b\">b</a>");
    h.web.SetPage("shop.example.com", "/private/a", FaxPage("0602"));
    h.web.SetPage("shop.example.com", "/private/b", FaxPage("0603"));
    h.web.SetResponse("down.example.com", "/robots.txt",
                      "HTTP/1.1 503 Unavailable\r\nContent-Length: 0\r\n\r\n");
    h.web.SetPage("down.example.com", "/", FaxPage("0604"));
    h.web.SetPage("open.example.com", "/", FaxPage("0605")); // no robots.txt: 404, all allowed
    h.Phrases({"plumbers"});
    h.Queue(
        {"shop.example.com/private/a", "down.example.com/", "shop.example.com/public", "open.example.com/"});
    QSignalSpy ended(&h.engine(), &HarvestEngine::harvestEnded);
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !ended.isEmpty(); }));

    EXPECT_TRUE(h.web.WasRequestedSecure("shop.example.com", "/robots.txt"));
    EXPECT_EQ(RequestsTo(h, "shop.example.com"), 1);
    EXPECT_TRUE(h.web.WasRequestedSecure("shop.example.com", "/public"));
    EXPECT_FALSE(h.web.WasRequested("shop.example.com", "/private/a"));
    EXPECT_FALSE(h.web.WasRequested("shop.example.com", "/private/b"));
    EXPECT_TRUE(h.web.WasRequestedSecure("down.example.com", "/robots.txt"));
    EXPECT_EQ(RequestsTo(h, "down.example.com"), 0);
    EXPECT_TRUE(h.web.WasRequestedSecure("open.example.com", "/"));
    std::vector<std::string> numbers;
    for (const FaxRow& row : h.StoredFaxes()) {
        numbers.push_back(row.fax);
    }
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<std::string>{"1-212-555-0601", "1-212-555-0605"}));
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 2);
}

} // namespace
} // namespace tarnwick::test
