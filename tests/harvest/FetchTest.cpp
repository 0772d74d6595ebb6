// The page fetcher and the page chain on the fixture web: request bytes, progress, time-outs and
// skipped hosts, page files, hostile servers, and a whole crawl of a small linked web.
#include "EngineHarness.h"
#include "text/AreaCode.h"

#include <QDateTime>
#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>
#include <set>

namespace tarnwick::test {
namespace {

// Starts a harvest whose only fetched website is `website` (the batch's first entry is
// dropped); the other slots wait under "Continue Until Stopped".
void HarvestOne(EngineHarness& h, const std::string& website) {
    h.engine().options().cmbLastSearch = 1;
    h.Phrases({"plumbers"});
    h.Queue({"dropped.example/", website});
    h.engine().cmdDoSearch_Click();
}

TEST(EngineFetch, SendsExactlyTheRequestBytes) {
    EngineHarness h;
    HarvestOne(h, "http://www.Example.com/dir/page.html");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.RequestCount() == 1; }));
    EXPECT_EQ(
        h.web.Requests()[0].bytes,
        "GET /dir/page.html HTTP/1.1\r\nHost: www.Example.com\r\nConnection: close\r\nAccept: */*\r\n\r\n");
    EXPECT_FALSE(h.web.WasRequested("dropped.example", "/"));
}

struct ProgressCase {
    const char* name;
    std::string lengthLine;
    int peak; // highest progress value shown while receiving
};

void PrintTo(const ProgressCase& c, std::ostream* os) {
    *os << c.name;
}

class EngineProgress : public testing::TestWithParam<ProgressCase> {};

TEST_P(EngineProgress, FollowsTheAnnouncedLength) {
    const ProgressCase& c = GetParam();
    EngineHarness h;
    h.web.SetHostility("drip.example", Hostility::Drip);
    h.web.SetDripInterval(std::chrono::milliseconds(1));
    h.web.SetResponse("drip.example", "/",
                      "HTTP/1.1 200 OK\r\n" + c.lengthLine + "\r\n\r\n" + std::string(100, 'z'));
    QSignalSpy progress(&h.engine().view(), &RunView::progressChanged);
    HarvestOne(h, "drip.example/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesScanned == 1; }));

    int peak = 0;
    for (const QList<QVariant>& value : progress) {
        peak = std::max(peak, value.at(0).toInt());
    }
    EXPECT_EQ(peak, c.peak);
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineProgress,
                         testing::Values(ProgressCase{"FiveHundred", "Content-Length: 500", 20},
                                         ProgressCase{"OtherCase", "content-length: 500", 0},
                                         ProgressCase{"NotANumber", "Content-Length: lots", 0},
                                         ProgressCase{"Longer", "Content-Length: 1000", 10}),
                         [](const testing::TestParamInfo<ProgressCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(EngineFetch, ASilentHostTimesOutAndIsSkippedFromThenOnAlsoAsASubstring) {
    EngineHarness h;
    h.web.SetHostility("slow.example.com", Hostility::Silent);
    h.engine().SetTimeouts(15, 100);
    HarvestOne(h, "slow.example.com/a");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().TimedOutHosts() == "slow.example.com"; }));
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.OpenConnections() == 0; }));

    // The waiting slots take these up; only the host that is not inside the text is fetched.
    h.web.SetPage("fine.example.org", "/", "<p>fine</p>");
    h.Queue({"slow.example.com/b", "EXAMPLE.COM/c", "Slow.Example.Com/d", "fine.example.org/"});
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.WasRequested("fine.example.org", "/"); }));
    EngineHarness::Pump(100);
    EXPECT_EQ(h.web.RequestCount(), 2u);
    EXPECT_EQ(h.engine().TimedOutHosts(), "slow.example.com");

    // A later harvest still skips it.
    h.engine().cmdStop_Click();
    h.engine().DeleteAllWebsites();
    h.web.SetPage("fine2.example.org", "/", "<p>fine</p>");
    h.Queue({"first.example.org/", "slow.example.com/e", "fine2.example.org/"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.WasRequested("fine2.example.org", "/"); }));
    EXPECT_FALSE(h.web.WasRequested("slow.example.com", "/e"));
    EXPECT_EQ(h.web.RequestCount(), 3u);
}

TEST(EngineFetch, WritesThePageFileAndQueuesTheFirstLinkOfEachLine) {
    EngineHarness h;
    // The linked host never answers, so the slot's page files keep this page.
    h.web.SetHostility("www.hold.com", Hostility::Silent);
    const std::string body = "<html>\r\n<a href=\"http://www.hold.com/one.html\">1</a> <a "
                             "href=\"http://www.hold.com/two.html\">2</a>\r\n"
                             "<p>lone\rcr</p><a href='http://www.hold.com/three.html'>3</a>\n<a "
                             "href=\"http://www.hold.com/four.html\">\r\n"
                             "<a href=\"mailto:x@hold.com\">m</a>\r\n<img src=\"x.gif\"><a "
                             "href=\"http://www.hold.com/pic.jpg\">p</a>\r\n";
    h.web.SetPage("www.site.com", "/dir/index.html", body);
    HarvestOne(h, "www.site.com/dir/index.html");
    ASSERT_TRUE(EngineHarness::WaitFor([&] {
        return h.web.WasRequested("www.hold.com", "/one.html") &&
               h.web.WasRequested("www.hold.com", "/three.html");
    }));

    EXPECT_EQ(FileText(h.appFolder() + "/html0.txt"), body + "\r\n");
    const std::string flat = FileText(h.appFolder() + "/html20.txt");
    EXPECT_EQ(flat.find('<'), std::string::npos) << "the flat page file ends up holding the page's text";
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 2);
    EngineHarness::Pump(100);
    EXPECT_EQ(h.web.RequestCount(), 3u);
}

// A page that arrived is read to the end: Stop ends the queueing of its links, not its numbers.
TEST(EngineFetch, StopWhileTheLinksAreReadQueuesNoLinkButStillStoresTheNumbers) {
    EngineHarness h;
    h.web.SetPage("www.site.com", "/",
                  "<body>\r\n<a href=\"next.html\">n</a>\r\n<p>Fax: (212) 555-0166</p>\r\n");
    QObject::connect(&h.engine().view(), &RunView::statusTextChanged, &h.engine(),
                     [&](int panel, const QString& text) {
                         if (panel == 2 && text == QStringLiteral("Getting Links")) {
                             h.engine().cmdStop_Click();
                         }
                     });
    HarvestOne(h, "www.site.com/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !h.engine().harvesting(); }));
    EngineHarness::Pump(100);

    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 1);
    EXPECT_TRUE(FileExists(h.appFolder() + "/html0.txt"));
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 0);
    EXPECT_EQ(h.db().CountWebsites(), 0);
    const std::vector<FaxRow> stored = h.StoredFaxes();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].fax, "1-212-555-0166");
    EXPECT_EQ(h.engine().Stats().sessionNumbersFound, 1);
    EXPECT_EQ(h.engine().StatusText(2), "");
    EXPECT_FALSE(h.web.WasRequested("www.site.com", "/next.html"));
}

TEST(EngineFetch, StopWhileNumbersAreStoredFinishesThePageButHandsTheSlotNothing) {
    EngineHarness h;
    h.web.SetPage(
        "www.site.com", "/",
        "<body>\r\n<a href=\"next.html\">n</a>\r\n<p>Fax: (212) 555-0161</p><p>Fax: (212) 555-0162</p>"
        "<p>Fax: (212) 555-0163</p>\r\n");
    h.web.SetPage("www.site.com", "/next.html", "<body><p>Fax: (212) 555-0164</p>");
    QObject::connect(&h.engine(), &HarvestEngine::statisticsChanged, &h.engine(), [&] {
        if (h.engine().harvesting() && h.engine().Stats().sessionNumbersFound == 1) {
            h.engine().cmdStop_Click();
        }
    });
    HarvestOne(h, "www.site.com/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.StoredFaxes().size() == 3; }));
    EngineHarness::Pump(300);

    EXPECT_FALSE(h.engine().harvesting());
    EXPECT_EQ(h.StoredFaxes().size(), 3u);
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 1);
    EXPECT_FALSE(h.web.WasRequested("www.site.com", "/next.html"));
    EXPECT_TRUE(h.engine().IsEnabled(Button::cmdResume)) << "the link found is still queued";
}

struct HostileCase {
    const char* name;
    Hostility hostility;
    bool timesOut; // else the page is saved and scanned
};

void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class EngineHostile : public testing::TestWithParam<HostileCase> {};

// Whatever the server does, the engine ends the download, and the slots go on to fetch and
// scan the next website.
TEST_P(EngineHostile, NeverCrashesOrHangsAndMovesOn) {
    const HostileCase& c = GetParam();
    EngineHarness h;
    h.web.SetHostility("bad.example", c.hostility);
    h.web.SetDripInterval(std::chrono::milliseconds(5));
    h.web.SetPage("bad.example", "/", std::string(4000, 'd'));
    h.engine().SetTimeouts(30, 80);
    HarvestOne(h, "bad.example/");
    ASSERT_TRUE(EngineHarness::WaitFor(
        [&] { return h.engine().Stats().sessionSitesScanned == 1 || !h.engine().TimedOutHosts().empty(); }));
    if (c.timesOut) {
        EXPECT_EQ(h.engine().TimedOutHosts(), "bad.example");
        EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 0);
    } else if (c.hostility != Hostility::Reset) {
        EXPECT_TRUE(h.engine().TimedOutHosts().empty());
        EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 1);
    }

    h.web.SetPage("good.example", "/", "<body><p>Fax: (212) 555-0177</p>");
    h.Queue({"good.example/"});
    ASSERT_TRUE(EngineHarness::WaitFor([&] {
        const std::vector<FaxRow> stored = h.StoredFaxes();
        return std::any_of(stored.begin(), stored.end(),
                           [](const FaxRow& r) { return r.fax == "1-212-555-0177"; });
    }));
    EXPECT_TRUE(h.engine().harvesting());
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineHostile,
                         testing::Values(HostileCase{"Silent", Hostility::Silent, true},
                                         HostileCase{"Drip", Hostility::Drip, true},
                                         HostileCase{"NeverClose", Hostility::NeverClose, true},
                                         HostileCase{"Huge", Hostility::Huge, false},
                                         HostileCase{"Garbage", Hostility::Garbage, false},
                                         HostileCase{"HeaderWithoutEnd", Hostility::HeaderWithoutEnd, false},
                                         HostileCase{"Reset", Hostility::Reset, false}),
                         [](const testing::TestParamInfo<HostileCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(EngineFetch, AHugeResponseIsCutAtEightMebibytesAndHandledAsFinished) {
    EngineHarness h;
    h.web.SetHostility("huge.example", Hostility::Huge);
    HarvestOne(h, "huge.example/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesScanned == 1; }));
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.OpenConnections() == 0; }));
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().StatusText(2).empty(); }));

    const std::size_t cap = 8u * 1024u * 1024u;
    const std::string header =
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(FixtureWeb::kHugeBodyBytes) + "\r\n\r\n";
    EXPECT_EQ(FileText(h.appFolder() + "/html0.txt").size(), cap - header.size() + 2);
    EXPECT_LT(h.web.BytesSent(), FixtureWeb::kHugeBodyBytes / 2) << "the engine stopped reading";
    EXPECT_EQ(h.engine().StatusText(1), "Finished: huge.example/");
    EXPECT_TRUE(h.engine().TimedOutHosts().empty());
}

TEST(EngineFetch, AResponseWithoutBlankLineLosesItsFirstThreeCharactersEverywhere) {
    EngineHarness h;
    h.web.SetResponse("odd.example", "/", "abcXYZ ABC <body>fax: (212) 555-0123 aBc");
    HarvestOne(h, "odd.example/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.StoredFaxes().size() == 1; }));
    EXPECT_EQ(FileText(h.appFolder() + "/html0.txt"), "XYZ  <body>fax: (212) 555-0123 \r\n");
    EXPECT_EQ(h.StoredFaxes()[0].fax, "1-212-555-0123");
}

// A small linked web over three hosts, without cycles so that the crawl runs dry. It ends with
// exactly these numbers stored once each, with the right website, phrase, region and date.
TEST(EngineCrawl, CrawlsALinkedWebAndStoresEveryNumberOnce) {
    EngineHarness h;
    h.web.SetPage("www.alpha.com", "/",
                  "<html><body>\r\n<h1>Alpha</h1>\r\n<a href=\"/about.html\">About</a>\r\n"
                  "<a href=\"contact.html\">Contact</a>\r\n<a href=\"http://www.beta.com/\">Beta</a>\r\n"
                  "<a href=\"mailto:info@alpha.com\">Mail</a>\r\n<a href=\"logo.jpg\">Logo</a>\r\n"
                  "<a href=\"#top\">Top</a>\r\n<p>Fax: (212) 555-0101</p>\r\n</body></html>");
    h.web.SetPage("www.alpha.com", "/about.html", "<body><p>Our fax 1.800.555.0199 is open.</p>");
    h.web.SetPage("www.alpha.com", "/contact.html",
                  "<p>Tel only</p>\r\n<a href=\"x1.html\">one</a> <a href=\"x2.html\">two</a>\r\n");
    h.web.SetPage("www.alpha.com", "/x1.html", "<body><td>FAX: 415-555-0123</td><td>fax: 555-1234</td>");
    h.web.SetPage(
        "www.beta.com", "/",
        "<body><p>International fax: +44 20 7946 0000</p>\r\n<a href=\"dir/page.html\">More</a>\r\n");
    h.web.SetPage("www.beta.com", "/dir/page.html",
                  "<body><p>Fax: (212) 555-0101</p><p>Faxes to us today at 800-555-1234 please</p>");
    h.engine().SetTimeouts(20, 200);
    h.settings.values["lHistWebScanned"] = "7";
    h.engine().SetStatistics({0, 0, 0, 7, 3});
    HarvestOne(h, "www.alpha.com/");

    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesScanned == 6; }));
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().StatusText(2).empty(); }));
    EngineHarness::Pump(500); // past two idle time-outs: nothing else is fetched
    h.engine().cmdStop_Click();

    std::set<std::pair<std::string, std::string>> requested;
    for (const RecordedRequest& request : h.web.Requests()) {
        requested.emplace(request.host, request.path);
    }
    const std::set<std::pair<std::string, std::string>> expected = {{"www.alpha.com", "/"},
                                                                    {"www.alpha.com", "/about.html"},
                                                                    {"www.alpha.com", "/contact.html"},
                                                                    {"www.alpha.com", "/x1.html"},
                                                                    {"www.beta.com", "/"},
                                                                    {"www.beta.com", "/dir/page.html"}};
    EXPECT_EQ(requested, expected);
    EXPECT_EQ(h.web.RequestCount(), 6u);

    struct Want {
        std::string fax;
        std::string website;
    };
    const std::vector<Want> want = {{"1-212-555-0101", "www.alpha.com/"},
                                    {"1-800-555-0199", "www.alpha.com/about.html"},
                                    {"1-415-555-0123", "www.alpha.com/x1.html"},
                                    {"+44-20-7946-0000", "www.beta.com/"}};
    std::vector<FaxRow> stored = h.StoredFaxes();
    ASSERT_EQ(stored.size(), want.size());
    std::sort(stored.begin(), stored.end(), [](const FaxRow& a, const FaxRow& b) { return a.fax < b.fax; });
    const std::string today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    for (const Want& w : want) {
        const auto it =
            std::find_if(stored.begin(), stored.end(), [&](const FaxRow& r) { return r.fax == w.fax; });
        ASSERT_NE(it, stored.end()) << w.fax;
        EXPECT_EQ(it->website, w.website) << w.fax;
        EXPECT_EQ(it->search, "plumbers") << w.fax;
        EXPECT_EQ(it->date.substr(0, 10), today) << w.fax;
        std::string number = w.fax;
        EXPECT_EQ(it->location, w.fax[0] == '+' ? "Unknown/International" : AreaCodeLocation(number))
            << w.fax;
    }

    const Statistics& s = h.engine().Stats();
    EXPECT_EQ(s.sessionSitesScanned, 6);
    EXPECT_EQ(s.sessionSitesFound, 5); // about, contact, beta, x1, beta's dir/page
    EXPECT_EQ(s.sessionNumbersFound, 4);
    EXPECT_EQ(s.histSitesScanned, 13);
    EXPECT_EQ(s.histNumbersFound, 7);
    EXPECT_EQ(h.settings.values["lHistWebScanned"], "13");
    EXPECT_EQ(h.settings.values["lHistEmailFound"], "7");
    EXPECT_EQ(h.engine().FaxesFoundCount(), 4);
    EXPECT_EQ(h.engine().List(ListId::List3).size(), 4u);
    EXPECT_EQ(h.sounds.Count("/sounds/foundfax.wav"), 4);
    EXPECT_TRUE(h.engine().TimedOutHosts().empty());
}

TEST(EngineCrawl, InternationalNumbersNeedTheOptionAndThePreviewKeepsTwentyOneLines) {
    EngineHarness h;
    std::string page = "<body>";
    for (int i = 0; i < 30; ++i) {
        page += "<p>Fax: (212) 555-" + std::to_string(1000 + i) + "</p>\r\n";
    }
    page += "<p>Fax: +44 20 7946 0000</p>\r\n";
    h.web.SetPage("many.example", "/", page);
    h.engine().options().chkNonUS = false;
    HarvestOne(h, "many.example/");
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionNumbersFound == 30; }));
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().StatusText(2).empty(); }));
    EngineHarness::Pump(50);

    EXPECT_EQ(h.StoredFaxes().size(), 30u);
    const std::vector<std::string>& preview = h.engine().List(ListId::List3);
    ASSERT_EQ(preview.size(), 21u);
    std::string scratch = "1-212-555-1029";
    EXPECT_EQ(preview.back(), "1-212-555-1029 | " + AreaCodeLocation(scratch));
    EXPECT_EQ(preview.front().substr(0, 14), "1-212-555-1009");
    EXPECT_EQ(h.engine().StatusText(3), "Found 30 faxes");
}

} // namespace
} // namespace tarnwick::test
