// The whole road without a web engine: phrases, result pages from a fake browser that link into
// the fixture web, the crawl of the queued websites, and the numbers stored at the end.
#include "BuilderHarness.h"
#include "FixtureWeb.h"
#include "TestCertificates.h"
#include "text/AreaCode.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>
#include <sqlite3.h>

namespace tarnwick::testing {
namespace {

const std::string kGoogle =
    "http://www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=";

struct StoredFax {
    std::string fax;
    std::string website;
    std::string search;
    std::string location;
};

std::vector<StoredFax> StoredFaxes(const std::string& databasePath) {
    std::vector<StoredFax> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(databasePath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT fax, website, search, location FROM faxes ORDER BY rowid", -1,
                               &statement, nullptr) == SQLITE_OK) {
            auto column = [&](int c) {
                const unsigned char* text = sqlite3_column_text(statement, c);
                return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
            };
            while (sqlite3_step(statement) == SQLITE_ROW) {
                rows.push_back({column(0), column(1), column(2), column(3)});
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

std::string Location(std::string number) {
    return AreaCodeLocation(number);
}

class WholeRoad : public ::testing::Test {
protected:
    WholeRoad() {
        const quint16 port = web.Port();
        h.resolve = [port](const std::string&) { return Endpoint{QStringLiteral("127.0.0.1"), port}; };
    }

    // Serves one result page of the phrase and, per result, a small site: an index page linking to a
    // contact page, each with its own number. Nothing links back, so the crawl comes to an end.
    void ServePhrase(const std::string& phrase, const std::string& stem, const std::string& areaCode,
                     int sites) {
        std::vector<std::string> domains = Domains(stem, 0, sites);
        h.launcher->pages[kGoogle + "0&sa=N&q=" + phrase + "+fax"] = ResultPage(domains);
        for (int i = 0; i < sites; ++i) {
            const std::string& host = domains[static_cast<std::size_t>(i)];
            const std::string index = "555-01" + std::string(i < 10 ? "0" : "") + std::to_string(i);
            const std::string contact = "555-02" + std::string(i < 10 ? "0" : "") + std::to_string(i);
            web.SetPage(host, "/",
                        "<html><body><h1>" + host + "</h1>\n<p>Fax: (" + areaCode + ") " + index +
                            "</p>\n<a href=\"http://" + host + "/contact.html\">Contact</a>\n</body></html>");
            web.SetPage(host, "/contact.html",
                        "<html><body>\n<p>Call us or send a fax to " + areaCode + "-" + contact +
                            "</p>\n</body></html>");
            pages["1-" + areaCode + "-" + index] = {phrase, host + "/"};
            pages["1-" + areaCode + "-" + contact] = {phrase, host + "/contact.html"};
        }
    }

    bool Requested(const std::string& website) const {
        const std::size_t slash = website.find('/');
        return web.WasRequested(website.substr(0, slash), website.substr(slash));
    }

    test::FixtureWeb web;
    BuilderHarness h;
    std::map<std::string, std::pair<std::string, std::string>> pages; // number -> phrase, website
};

TEST_F(WholeRoad, TwoPhrasesInARowFromResultPagesToStoredNumbers) {
    ServePhrase("dentists", "alpha", "212", 40);
    ServePhrase("plumbers", "beta", "415", 25);
    h.engine->options().chkAuto = true;
    h.Start({"dentists", "plumbers"}, 0, 0);

    // The first phrase's queue runs dry, the second phrase is listed and harvested to its end.
    ASSERT_TRUE(BuilderHarness::RunUntil([this] {
        return h.launcher->unloadRequests == 2 && !h.engine->harvesting() &&
               h.engine->StatusText(3) == "Try a different search";
    })) << "builders loaded "
        << h.launcher->loadedPhrases.size() << ", unloads asked " << h.launcher->unloadRequests
        << ", harvesting " << h.engine->harvesting() << ", panels '" << h.engine->StatusText(1) << "' '"
        << h.engine->StatusText(2) << "' '" << h.engine->StatusText(3) << "', requests "
        << web.RequestCount();
    EXPECT_EQ(h.launcher->loadedPhrases, (std::vector<std::string>{"dentists", "plumbers"}));
    EXPECT_EQ(
        h.launcher->navigations,
        (std::vector<std::string>{kGoogle + "0&sa=N&q=dentists+fax", kGoogle + "100&sa=N&q=dentists+fax",
                                  kGoogle + "0&sa=N&q=plumbers+fax", kGoogle + "100&sa=N&q=plumbers+fax"}));
    EXPECT_EQ(h.database->Searches(), std::vector<std::string>{"plumbers"});

    // Every number stored belongs to a page the crawl fetched, once, under its own phrase,
    // website and region; both phrases brought numbers.
    const std::vector<StoredFax> stored = StoredFaxes(h.folder.path().toStdString() + "/spider.mdb");
    std::set<std::string> seen;
    std::map<std::string, int> perPhrase;
    for (const StoredFax& row : stored) {
        SCOPED_TRACE(row.fax);
        EXPECT_TRUE(seen.insert(row.fax).second);
        const auto page = pages.find(row.fax);
        ASSERT_NE(page, pages.end());
        EXPECT_EQ(row.search, page->second.first);
        EXPECT_EQ(row.website, page->second.second);
        EXPECT_TRUE(Requested(row.website));
        EXPECT_EQ(row.location, Location(row.fax));
        EXPECT_NE(row.location, "Unknown/International");
        ++perPhrase[row.search];
    }
    EXPECT_GT(perPhrase["dentists"], 0);
    EXPECT_GT(perPhrase["plumbers"], 0);
    EXPECT_EQ(h.engine->FaxesFoundCount(), static_cast<std::int32_t>(stored.size()));
    // Result domains only ever reach the crawl through the queue: no engine host was asked for.
    for (const test::RecordedRequest& request : web.Requests()) {
        EXPECT_TRUE(request.host.starts_with("alpha") || request.host.starts_with("beta")) << request.host;
    }
}

TEST_F(WholeRoad, AutoAdvanceAfterTheChosenNumberOfWebsitesListsTheNextPhrase) {
    // The first phrase's sites never end: every page links to one more page of its site. Forty
    // results keep the queue from running dry while the first ten downloads start.
    web.SetGenerator([](const std::string& host, const std::string& path) -> std::optional<std::string> {
        if (!host.starts_with("gamma")) {
            return std::nullopt;
        }
        const int depth = path == "/" ? 0 : std::atoi(path.c_str() + 2);
        return test::FixtureWeb::OkResponse("<html><body>\n<a href=\"http://" + host + "/p" +
                                            std::to_string(depth + 1) + ".html\">More</a>\n</body></html>");
    });
    h.launcher->pages[kGoogle + "0&sa=N&q=endless+fax"] = ResultPage(Domains("gamma", 0, 40));
    ServePhrase("roofers", "delta", "303", 25);
    h.engine->options().chkAuto = true;
    h.engine->SetAdvanceIndex(0);
    ASSERT_EQ(h.engine->AdvanceAfter(), 1000);
    h.Start({"endless", "roofers"}, 0, 0);

    ASSERT_TRUE(BuilderHarness::RunUntil(
        [this] {
            return h.launcher->unloadRequests == 2 && !h.engine->harvesting() &&
                   h.engine->StatusText(3) == "Try a different search";
        },
        120000))
        << "builders loaded " << h.launcher->loadedPhrases.size() << ", requests " << web.RequestCount();
    EXPECT_EQ(h.launcher->loadedPhrases, (std::vector<std::string>{"endless", "roofers"}));
    EXPECT_EQ(h.database->Searches(), std::vector<std::string>{"roofers"});

    // 1,000 takes fetch; the 1,001st advances. Downloads in flight at that moment may be cut
    // before their request went out.
    std::size_t endless = 0;
    for (const test::RecordedRequest& request : web.Requests()) {
        endless += request.host.starts_with("gamma") ? 1 : 0;
    }
    EXPECT_LE(endless, 1000u);
    EXPECT_GE(endless, 990u);

    const std::vector<StoredFax> stored = StoredFaxes(h.folder.path().toStdString() + "/spider.mdb");
    EXPECT_FALSE(stored.empty());
    for (const StoredFax& row : stored) {
        SCOPED_TRACE(row.fax);
        EXPECT_EQ(row.search, "roofers");
        const auto page = pages.find(row.fax);
        ASSERT_NE(page, pages.end());
        EXPECT_EQ(row.website, page->second.second);
    }
}

// The same road on today's web: today's result page as the browser renders it, https result
// links, sites that answer only over TLS with LF-only pages and relative links.
class SecureWholeRoad : public ::testing::Test {
protected:
    SecureWholeRoad()
        : h({QSslCertificate(QByteArray(test::kTestAuthorityPem), QSsl::Pem)}) {
        const quint16 port = web.Port();
        const quint16 securePort = web.SecurePort();
        h.resolve = [port](const std::string&) { return Endpoint{QStringLiteral("127.0.0.1"), port}; };
        h.resolveSecure = [securePort](const std::string&) {
            return Endpoint{QStringLiteral("127.0.0.1"), securePort};
        };
        h.engine->options().chkSecureWeb = true;
    }

    test::FixtureWeb web{true};
    BuilderHarness h;
};

TEST_F(SecureWholeRoad, HttpsResultLinksReachStoredNumbersOverTls) {
    RenderedPage resultPage;
    std::map<std::string, std::string> expected; // number -> website
    for (int i = 1; i <= 30; ++i) {
        const std::string domain = "shop" + std::to_string(i) + ".com";
        const std::string digits = std::to_string(1000 + i).substr(1);
        resultPage.links.push_back("https://www." + domain + "/");
        resultPage.links.push_back("https://www.google.com/search?related=" + domain);
        web.SetPage(domain, "/",
                    "<html><body>\n<p>Fax: (303) 555-0" + digits +
                        "</p>\n<a href=\"contact.html\">Contact</a>\n</body></html>\n");
        expected["1-303-555-0" + digits] = domain + "/";
        web.SetPage(domain, "/contact.html",
                    "<html><body>\n<p>Fax: (212) 555-0" + digits + "</p>\n</body></html>\n");
        expected["1-212-555-0" + digits] = domain + "/contact.html";
    }
    const std::string firstPage = "https://www.google.com/search?q=hardware+fax&hl=en&filter=0";
    h.launcher->site.pages[firstPage] = resultPage;
    // Kept running when the queue runs dry, so that no download is cut short by the end.
    h.engine->options().cmbLastSearch = 1;
    h.Start({"hardware"}, 0, 0);
    const std::string databasePath = h.folder.path().toStdString() + "/spider.mdb";
    const auto contactNumbers = [&] {
        const std::vector<StoredFax> rows = StoredFaxes(databasePath);
        return std::count_if(rows.begin(), rows.end(),
                             [](const StoredFax& row) { return row.fax.starts_with("1-212-"); });
    };
    ASSERT_TRUE(BuilderHarness::RunUntil([&] {
        return StoredFaxes(databasePath).size() >= 20 && contactNumbers() >= 5;
    })) << "requests "
        << web.RequestCount() << ", stored " << StoredFaxes(databasePath).size() << ", queued "
        << h.database->CountWebsites() << ", work list " << h.engine->List(ListId::List2).size()
        << ", skipped '" << h.engine->TimedOutHosts() << "', panel 1 '" << h.engine->StatusText(1)
        << "', harvesting " << h.engine->harvesting() << ", panel 2 '" << h.engine->StatusText(2) << "'";
    h.engine->cmdStop_Click();
    EXPECT_EQ(h.launcher->navigations.front(), firstPage);

    // Every number stored is the one of its own page, found over TLS from an https result link
    // or from a relative link of an LF-only page.
    for (const StoredFax& row : StoredFaxes(databasePath)) {
        EXPECT_EQ(row.search, "hardware");
        EXPECT_EQ(expected[row.fax], row.website) << row.fax;
    }
    for (const test::RecordedRequest& request : web.Requests()) {
        EXPECT_TRUE(request.secure) << request.host << request.path;
    }
}

} // namespace
} // namespace tarnwick::testing
