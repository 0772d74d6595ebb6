// The chain of an arrived page on the fixture web: every page that arrived keeps its numbers
// whatever happens to the harvest meanwhile, and a page's long link pass lets other events run.
#include "EngineHarness.h"

#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace tarnwick::test {
namespace {

// Nineteen pages of a hundred numbers each and no links: the take after the last page ends the
// harvest while other slots' pages are still being saved, read and scanned. Every page that
// arrived whole keeps all its numbers; only downloads still in flight are abandoned.
TEST(PageChain, TheQueueRunningDryLosesNoNumberOfAPageThatArrived) {
    constexpr int kPages = 19;
    constexpr int kNumbersPerPage = 100;
    EngineHarness h;
    std::vector<std::string> queue = {"dropped.example/"};
    for (int page = 0; page < kPages; ++page) {
        std::string body = "<body>\r\n";
        for (int line = 0; line < 2000; ++line) {
            body += "<p>filler line " + std::to_string(line) + "</p>\r\n";
        }
        for (int n = 0; n < kNumbersPerPage; ++n) {
            const std::string last = std::to_string(1000 + n);
            body += "<p>Fax: (212) " + std::to_string(300 + page) + "-" + last + "</p>\r\n";
        }
        const std::string host = "page" + std::to_string(page) + ".example";
        h.web.SetPage(host, "/", body);
        queue.push_back(host + "/");
    }
    h.Phrases({"plumbers"});
    h.Queue(queue);
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !h.engine().harvesting(); }, 30000));
    const auto allStored = [&] {
        return h.StoredFaxes().size() ==
               static_cast<std::size_t>(h.engine().Stats().sessionSitesScanned * kNumbersPerPage);
    };
    EngineHarness::WaitFor(allStored, 10000);
    EngineHarness::Pump(200);

    EXPECT_GE(h.engine().Stats().sessionSitesScanned, 10);
    EXPECT_TRUE(allStored()) << h.StoredFaxes().size() << " numbers of "
                             << h.engine().Stats().sessionSitesScanned << " pages";
    EXPECT_EQ(h.engine().StatusText(2), "No more websites queued")
        << "pages finishing late keep the end's texts";
    const std::vector<FaxRow> stored = h.StoredFaxes();
    std::map<std::string, int> perWebsite;
    for (const FaxRow& row : stored) {
        ++perWebsite[row.website];
    }
    for (const auto& [website, count] : perWebsite) {
        EXPECT_EQ(count, kNumbersPerPage) << website;
    }
}

// One line of two thousand links: the window and the other slots get their turn many times
// while they are queued, instead of waiting for the whole line.
TEST(PageChain, ALongLinkPassLetsPendingEventsRun) {
    EngineHarness h(true);
    std::string line = "<body>";
    for (int i = 0; i < 2000; ++i) {
        line += "<a href=\"/l" + std::to_string(i) + "\">l</a>";
    }
    h.web.SetPage("www.example.com", "/", line + "\r\n<p>Fax: (212) 555-0177</p>");
    int turns = -1;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, &other, [&] { ++turns; });
    QObject::connect(
        &h.engine().view(), &RunView::statusTextChanged, &h.engine(), [&](int panel, const QString& text) {
            if (panel == 2 && text == QStringLiteral("Getting Links") && turns < 0) {
                turns = 0;
                other.start(0);
            } else if (panel == 2 && text == QStringLiteral("Getting Faxes") && other.isActive()) {
                other.stop();
                h.engine().cmdStop_Click();
            }
        });
    h.engine().options().cmbLastSearch = 1;
    h.engine().SetTimeouts(1000, 2000); // the waiting slots do not look again meanwhile
    h.Phrases({"plumbers"});
    h.Queue({"www.example.com/"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.StoredFaxes().size() == 1; }, 30000));

    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 2000);
    EXPECT_GE(turns, 10) << "other events ran while the links were queued";
}

// One page, harvested in each mode: the secure web reads it in its declared character set with
// today's reader (a no-break space and no-break hyphens are separators, a national number is
// North-American); the classic reader keeps what follows "fax" as it always has.
TEST(PageChain, TheSecureWebOptionChoosesTodaysReader) {
    struct Case {
        bool secureWeb;
        std::vector<std::string> stored;
    };
    const std::string body = "<html><body><p>Fax:\xC2\xA0"
                             "312\xE2\x80\x91"
                             "555\xE2\x80\x91"
                             "0143</p>"
                             "<p>Fax: 8005551234</p><p>Fairfax, VA. Phone 703-555-0100</p></body></html>";
    for (const Case& c :
         {Case{true, {"1-312-555-0143", "1-800-555-1234"}}, Case{false, {"+3125550143", "+8005551234"}}}) {
        SCOPED_TRACE(c.secureWeb ? "secure web" : "classic");
        EngineHarness h(c.secureWeb);
        h.web.SetResponse("www.example.com", "/",
                          "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        h.engine().options().cmbLastSearch = 1; // the idle slots do not end the harvest meanwhile
        h.Phrases({"plumbers"});
        h.Queue({"dropped.example/", "www.example.com/"});
        h.engine().cmdDoSearch_Click();
        ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesScanned == 1; }));
        ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.StoredFaxes().size() >= c.stored.size(); }));
        EngineHarness::Pump(100);
        std::vector<std::string> stored;
        for (const FaxRow& row : h.StoredFaxes()) {
            stored.push_back(row.fax);
        }
        std::sort(stored.begin(), stored.end());
        EXPECT_EQ(stored, c.stored);
    }
}

// A page cannot make one chain queue without end: links past the first 10,000 are not taken.
TEST(PageChain, APageGivesAtMostTenThousandLinks) {
    EngineHarness h(true);
    std::string body = "<body>";
    for (int i = 0; i < 10'050; ++i) {
        body += "<a href=\"/l" + std::to_string(i) + "\">l</a>\n";
    }
    h.web.SetPage("www.example.com", "/", body + "<p>Fax: (212) 555-0177</p>");
    h.engine().options().cmbLastSearch = 1;
    h.engine().SetTimeouts(1000, 2000);
    h.Phrases({"plumbers"});
    h.Queue({"dropped.example/", "www.example.com/"});
    QObject::connect(&h.engine().view(), &RunView::statusTextChanged, &h.engine(),
                     [&](int panel, const QString& text) {
                         if (panel == 2 && text == QStringLiteral("Getting Faxes")) {
                             h.engine().cmdStop_Click();
                         }
                     });
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.StoredFaxes().size() == 1; }, 60000));

    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 10'000);
}

} // namespace
} // namespace tarnwick::test
