// The engine against a store that cannot take a write: nothing is counted that was not stored,
// a search never starts on a queue that could not be emptied, and the user is told.
#include "EngineHarness.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>

namespace tarnwick::test {
namespace {

// A second program holding the database's write lock, or an exclusive one, until destroyed.
class Locker final {
public:
    Locker(const std::string& path, const char* begin) {
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db_, begin, nullptr, nullptr, nullptr), SQLITE_OK) << begin;
    }
    ~Locker() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
    Locker(const Locker&) = delete;
    Locker& operator=(const Locker&) = delete;

private:
    sqlite3* db_ = nullptr;
};

std::string DatabasePath(const EngineHarness& h) {
    return h.appFolder() + "/spider.mdb";
}

class EngineLockedHarvest : public testing::TestWithParam<bool> {};

// A page with one number and one link, harvested with the write lock held by another program
// or free: the previews and counters follow exactly what reached the database.
TEST_P(EngineLockedHarvest, CountsAndPreviewsOnlyWhatWasStored) {
    const bool locked = GetParam();
    EngineHarness h;
    h.engine().options().cmbLastSearch = 1;
    h.web.SetPage("a.example", "/",
                  "<body><p>Fax: (212) 555-0142</p>\n<a href=\"http://linked.example/\">more</a></body>");
    h.web.SetPage("linked.example", "/", "<p>nothing here</p>");
    h.Phrases({"plumbers"});
    h.Queue({"head.example/", "a.example/"});
    ASSERT_TRUE(h.engine().LoadWebsiteBatch());
    std::unique_ptr<Locker> lock;
    if (locked) {
        lock = std::make_unique<Locker>(DatabasePath(h), "BEGIN IMMEDIATE");
    }
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.WasRequested("a.example", "/"); }));
    EngineHarness::Pump(300);
    h.engine().cmdStop_Click();
    lock.reset();

    const std::size_t stored = locked ? 0 : 1;
    EXPECT_EQ(h.StoredFaxes().size(), stored);
    EXPECT_EQ(h.engine().List(ListId::List3).size(), stored);
    EXPECT_EQ(h.engine().FaxesFoundCount(), static_cast<std::int32_t>(stored));
    EXPECT_EQ(h.engine().Stats().sessionNumbersFound, static_cast<std::int32_t>(stored));
    EXPECT_EQ(h.engine().Stats().histNumbersFound, static_cast<std::int32_t>(stored));
    EXPECT_EQ(h.settings.values.count("lHistEmailFound"), stored);
    EXPECT_EQ(h.sounds.Count("/sounds/foundfax.wav"), static_cast<int>(stored));
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, locked ? 0 : 1);
    EXPECT_EQ(h.web.WasRequested("linked.example", "/"), !locked);
}

INSTANTIATE_TEST_SUITE_P(WriteLock, EngineLockedHarvest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Held" : "Free";
                         });

struct SearchStartCase {
    const char* name;
    void (*press)(EngineHarness& h);
};

class EngineQueueNotEmptied : public testing::TestWithParam<SearchStartCase> {};

// Wherever a search starts, a queue held by another program's exclusive lock stops the harvest
// instead of letting the previous phrase's websites be harvested under the new one.
TEST_P(EngineQueueNotEmptied, StopsTheSearchAndSaysWhy) {
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::Silent);
    h.Phrases({"plumbers", "roofers"});
    // More than the batch and the ten slots take, so the harvest is still under way.
    for (int i = 0; i < 40; ++i) {
        h.Queue({"hold.example/" + std::to_string(i)});
    }
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(h.engine().harvesting());
    h.Queue({"old.example/"});
    {
        Locker lock(DatabasePath(h), "BEGIN EXCLUSIVE");
        GetParam().press(h);
        EXPECT_FALSE(h.engine().harvesting());
        EXPECT_EQ(h.launcher.loads, 0);
        EXPECT_EQ(h.engine().StatusText(1), "Cannot empty the website queue");
        EXPECT_TRUE(h.engine().IsEnabled(Button::Command1));
        EXPECT_FALSE(h.engine().IsEnabled(Button::cmdStop));
    }
    EXPECT_EQ(h.db().CountWebsites(), 11);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EngineQueueNotEmptied,
    testing::Values(SearchStartCase{"Start", [](EngineHarness& h) { h.engine().Command1_Click(); }},
                    SearchStartCase{"NextSearch", [](EngineHarness& h) { h.engine().StartNextSearch(); }},
                    SearchStartCase{"NextButton",
                                    [](EngineHarness& h) { h.engine().cmdNextSearch_Click(); }}),
    [](const testing::TestParamInfo<SearchStartCase>& info) { return std::string(info.param.name); });

// The queue running dry moves to the next phrase; a queue that cannot be emptied then stops there.
TEST(EngineStore, DryQueueWithALockedStoreDoesNotMoveToTheNextPhrase) {
    EngineHarness h;
    h.Phrases({"plumbers", "roofers"});
    h.Queue({"head.example/"});
    ASSERT_TRUE(h.engine().LoadWebsiteBatch());
    {
        Locker lock(DatabasePath(h), "BEGIN EXCLUSIVE");
        h.engine().cmdDoSearch_Click();
        ASSERT_TRUE(EngineHarness::WaitFor([&] { return !h.engine().harvesting(); }));
        EngineHarness::Pump(50);
        EXPECT_EQ(h.launcher.loads, 0);
        EXPECT_EQ(h.engine().StatusText(1), "Cannot empty the website queue");
    }
}

struct SpoilCase {
    const char* name;
    void (*spoil)(const std::string& path);
};

class EngineUnwritableStore : public testing::TestWithParam<SpoilCase> {};

// A database that cannot take records is reported at start-up and at Start, never silently
// harvested into.
TEST_P(EngineUnwritableStore, IsReportedAtLoadAndAtStart) {
    EngineHarness h;
    h.Phrases({"plumbers"});
    GetParam().spoil(DatabasePath(h));
    h.engine().LoadRunState();
    EXPECT_EQ(h.engine().StatusText(1), "Cannot write to spider.mdb");
    h.engine().SetStatusText(1, "");
    h.engine().Command1_Click();
    EXPECT_EQ(h.engine().StatusText(1), GetParam().name == std::string("faxes without location")
                                            ? "Cannot write to spider.mdb"
                                            : "Cannot empty the website queue");
}

INSTANTIATE_TEST_SUITE_P(
    Files, EngineUnwritableStore,
    testing::Values(SpoilCase{"faxes without location",
                              [](const std::string& path) {
                                  sqlite3* db = nullptr;
                                  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
                                  EXPECT_EQ(sqlite3_exec(db, "ALTER TABLE faxes DROP COLUMN location",
                                                         nullptr, nullptr, nullptr),
                                            SQLITE_OK);
                                  sqlite3_close(db);
                              }},
                    SpoilCase{"random bytes",
                              [](const std::string& path) {
                                  const std::string replacement = path + ".random";
                                  std::mt19937 bytes(7);
                                  std::ofstream out(replacement, std::ios::binary);
                                  for (int i = 0; i < 64 * 1024; ++i) {
                                      out.put(static_cast<char>(bytes() & 0xff));
                                  }
                                  out.close();
                                  ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
                              }}),
    [](const testing::TestParamInfo<SpoilCase>& info) {
        return std::string(info.param.name).find("random") == 0 ? "NotADatabase" : "MissingColumn";
    });

// Slots finishing as the queue runs dry under "Continue Until Stopped" all stay ready: websites
// queued afterwards are fetched, every one of them, at the next idle time-out.
TEST(EngineStore, WebsitesQueuedAfterTheQueueRanDryAreAllFetched) {
    EngineHarness h;
    h.engine().options().cmbLastSearch = 1;
    h.engine().SetTimeouts(20, 400);
    h.Phrases({"plumbers"});
    std::vector<std::string> first = {"head.example/"};
    for (int i = 0; i < 5; ++i) {
        const std::string host = "first" + std::to_string(i) + ".example";
        h.web.SetPage(host, "/", "<p>nothing</p>");
        first.push_back(host + "/");
    }
    h.Queue(first);
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesScanned == 5; }));
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.sounds.Count("/sounds/finished.wav") == 1; }));

    std::vector<std::string> later;
    for (int i = 0; i < 10; ++i) {
        const std::string host = "later" + std::to_string(i) + ".example";
        h.web.SetPage(host, "/", "<p>nothing</p>");
        later.push_back(host + "/");
    }
    h.Queue(later);
    EXPECT_TRUE(EngineHarness::WaitFor(
        [&] {
            for (int i = 0; i < 10; ++i) {
                if (!h.web.WasRequested("later" + std::to_string(i) + ".example", "/")) {
                    return false;
                }
            }
            return true;
        },
        3000));
    EXPECT_TRUE(h.engine().harvesting());
    h.engine().cmdStop_Click();
}

} // namespace
} // namespace tarnwick::test
