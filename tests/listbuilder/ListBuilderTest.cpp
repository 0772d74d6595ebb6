// The List builder against a fake browser: paging, the end of a build and the hand-over to the
// harvest, to the next phrase or back to the user.
#include "BuilderHarness.h"
#include "listbuilder/ResultLinks.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <utility>

namespace tarnwick::testing {
namespace {

const std::string kGoogle =
    "http://www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=";
const std::string kYahoo = "http://search.yahoo.com/search/dir?h=s&xargs=0&p=";

std::string GooglePage(const std::string& terms, int start) {
    return kGoogle + std::to_string(start) + "&sa=N&q=" + terms;
}

class ListBuilderTest : public ::testing::Test {
protected:
    BuilderHarness h;
    FakeLauncher& launcher = *h.launcher;
    HarvestEngine& engine = *h.engine;

    bool Finished() {
        return BuilderHarness::RunUntil([this] { return launcher.unloadRequests > 0; });
    }
};

TEST_F(ListBuilderTest, StopsAtTheEndOfThePageThatReachesTheTarget) {
    // Index 0 wants 100: 60 on the first page, 60 more on the second, a third page never asked for.
    launcher.pages[GooglePage("dental+labs+fax", 0)] = ResultPage(Domains("first", 0, 60));
    launcher.pages[GooglePage("dental+labs+fax", 100)] = ResultPage(Domains("second", 0, 60));
    launcher.pages[GooglePage("dental+labs+fax", 200)] = ResultPage(Domains("third", 0, 60));
    h.Start({"dental labs"}, 0, 0);
    ASSERT_TRUE(Finished());

    EXPECT_EQ(launcher.navigations, (std::vector<std::string>{GooglePage("dental+labs+fax", 0),
                                                              GooglePage("dental+labs+fax", 100)}));
    EXPECT_TRUE(engine.harvesting());
    EXPECT_EQ(launcher.hides, 1);
    EXPECT_EQ(engine.Stats().sessionSitesFound, 120);
    engine.cmdStop_Click();
}

TEST_F(ListBuilderTest, ThousandWantedStopsOnThePageThatCrossesIt) {
    const std::string terms = "fax+fax";
    for (int page = 0; page < 14; ++page) {
        launcher.pages[GooglePage(terms, page * 100)] =
            ResultPage(Domains("p" + std::to_string(page) + "x", 0, 90));
    }
    h.Start({"fax"}, 0, 3);
    ASSERT_TRUE(Finished());
    // 11 pages give 990, the 12th crosses 1000.
    ASSERT_EQ(launcher.navigations.size(), 12u);
    EXPECT_EQ(launcher.navigations.back(), GooglePage(terms, 1100));
    EXPECT_EQ(engine.Stats().sessionSitesFound, 1080);
    engine.cmdStop_Click();
}

TEST_F(ListBuilderTest, YahooPagesStepByTwentyUntilAPageBringsNothingNew) {
    engine.options().chkAddFax = false;
    launcher.pages[kYahoo + "red+barn&b=1"] = ResultPage(Domains("y", 0, 15));
    launcher.pages[kYahoo + "red+barn&b=21"] = ResultPage(Domains("y", 15, 15));
    // Every link of the third page was found before, in another spelling.
    launcher.pages[kYahoo + "red+barn&b=41"] = ResultPage({"Y3.COM", "y20.com"});
    h.Start({"red barn"}, 1, 5);
    ASSERT_TRUE(Finished());
    EXPECT_EQ(launcher.navigations,
              (std::vector<std::string>{kYahoo + "red+barn&b=1", kYahoo + "red+barn&b=21",
                                        kYahoo + "red+barn&b=41"}));
    EXPECT_TRUE(engine.harvesting());
    engine.cmdStop_Click();
}

class ResultCountTest : public ::testing::TestWithParam<int> {};

TEST_P(ResultCountTest, HarvestStartsWithMoreThanTwentyResultsOnly) {
    const int found = GetParam();
    BuilderHarness h;
    h.launcher->pages[GooglePage("thin+fax", 0)] = ResultPage(Domains("t", 0, found));
    h.Start({"thin"}, 0, 0);
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return h.launcher->unloadRequests > 0; }));
    EXPECT_EQ(h.engine->harvesting(), found > 20);
    EXPECT_EQ(h.launcher->navigations.size(), 2u);
    if (found <= 20) {
        EXPECT_EQ(h.engine->StatusText(1), "Stopped");
        EXPECT_EQ(h.engine->StatusText(2), "Not enough results");
        EXPECT_EQ(h.engine->StatusText(3), "Add more search terms");
        EXPECT_EQ(h.engine->List(ListId::List1), std::vector<std::string>{"thin"});
        EXPECT_EQ(h.launcher->loadedPhrases.size(), 1u);
        std::vector<std::string> queued = h.QueuedWebsites();
        std::sort(queued.begin(), queued.end());
        std::vector<std::string> expected = Domains("t", 0, found);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(queued, expected);
    }
    h.engine->cmdStop_Click();
}

INSTANTIATE_TEST_SUITE_P(AroundTwenty, ResultCountTest, ::testing::Values(3, 20, 21));

TEST_F(ListBuilderTest, ThinResultMovesToTheNextPhraseKeepingTheTriedOneStored) {
    launcher.pages[GooglePage("first+fax", 0)] = ResultPage(Domains("f", 0, 5));
    launcher.pages[GooglePage("second+fax", 0)] = ResultPage(Domains("s", 0, 30));
    h.Start({"first", "second"}, 0, 0);
    ASSERT_TRUE(BuilderHarness::RunUntil([this] { return engine.harvesting(); }));

    EXPECT_EQ(launcher.loadedPhrases, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(engine.List(ListId::List1), std::vector<std::string>{"second"});
    const std::vector<std::string> stored = h.database->Searches();
    EXPECT_NE(std::find(stored.begin(), stored.end(), "first"), stored.end());
    // The second build started from an empty queue: only its own results are left to harvest.
    EXPECT_EQ(engine.Stats().sessionSitesFound, 30);
    engine.cmdStop_Click();
}

TEST_F(ListBuilderTest, ProgressTextsAndTheBrowserStoppedAtTheEnd) {
    launcher.pages[GooglePage("b+fax", 0)] = ResultPage(Domains("b", 0, 25));
    h.Start({"b"}, 0, 0);
    ListBuilder* builder = launcher.Builder();
    FakeBrowser* browser = launcher.CurrentBrowser();
    ASSERT_NE(builder, nullptr);
    EXPECT_EQ(builder->Text1().toStdString(), "Status...");
    std::vector<std::string> texts;
    QObject::connect(builder, &ListBuilder::text1Changed, builder,
                     [&](const QString& text) { texts.push_back(text.toStdString()); });
    int stopsAtHide = -1;
    QObject::connect(builder, &ListBuilder::hideRequested, builder, [&] { stopsAtHide = browser->stops; });
    ASSERT_TRUE(Finished());
    EXPECT_EQ(texts, (std::vector<std::string>{"Extracted 25 unique results.", "Extracted 25 unique results.",
                                               "Finished! Extracted 25 results."}));
    EXPECT_EQ(stopsAtHide, 1);
    engine.cmdStop_Click();
}

TEST_F(ListBuilderTest, RepeatedDocumentEventsExtractEachPageOnce) {
    launcher.completesPerPage = 3;
    launcher.pages[GooglePage("c+fax", 0)] = ResultPage(Domains("c", 0, 40));
    launcher.pages[GooglePage("c+fax", 100)] = ResultPage(Domains("c", 40, 40));
    h.Start({"c"}, 0, 0);
    ASSERT_TRUE(Finished());
    // Three pages: the third is empty and ends the build. Each body is read once.
    EXPECT_EQ(launcher.navigations.size(), 3u);
    EXPECT_EQ(engine.Stats().sessionSitesFound, 80);
    engine.cmdStop_Click();
}

// A builder driven directly, outside any launcher, so it outlives the end of its build.
class DirectBuildTest : public ::testing::Test {
protected:
    BuilderHarness h;
    FakeBrowser browser;
    ListBuilder builder{*h.engine, browser};

    // Loads the builder for one phrase whose first page holds n results.
    void Load(int n) {
        h.engine->cmdAdd_Click("direct");
        h.engine->options().Combo1 = 0;
        h.engine->options().Combo2 = 0;
        builder.Form_Load();
        ASSERT_EQ(browser.navigations.size(), 1u);
        browser.pages[browser.navigations[0]] = ResultPage(Domains("r", 0, n));
    }
    static void Settle() {
        BuilderHarness::RunUntil([] { return false; }, 50);
    }
};

TEST_F(DirectBuildTest, LateEventsAfterTheEndAreIgnored) {
    Load(3);
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return builder.listFinished(); }));
    EXPECT_EQ(builder.foundTotal(), 3);
    const int reads = browser.bodyReads;
    browser.RaiseDocumentComplete();
    Settle();
    EXPECT_EQ(browser.bodyReads, reads);
    EXPECT_EQ(browser.navigations.size(), 2u);
}

TEST_F(DirectBuildTest, UnreadableBodyWaitsForTheNextEvent) {
    Load(25);
    browser.failingReads = 1;
    ASSERT_TRUE(
        BuilderHarness::RunUntil([&] { return browser.bodyReads == 1 && browser.failingReads == 0; }));
    Settle();
    EXPECT_EQ(builder.foundTotal(), 0);
    EXPECT_EQ(browser.navigations.size(), 1u);
    browser.RaiseDocumentComplete();
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return builder.listFinished(); }));
    EXPECT_EQ(builder.foundTotal(), 25);
    EXPECT_EQ(browser.navigations.size(), 2u);
    h.engine->cmdStop_Click();
}

TEST_F(DirectBuildTest, ShortAddressesAreNotRead) {
    Load(25);
    const std::string firstPage = browser.navigations[0];
    browser.pages["about:"] = ResultPage(Domains("short", 0, 25));
    browser.Navigate("about:");
    Settle();
    EXPECT_EQ(browser.bodyReads, 0);
    browser.Navigate(firstPage);
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return builder.listFinished(); }));
    EXPECT_EQ(builder.foundTotal(), 25);
    h.engine->cmdStop_Click();
}

TEST_F(DirectBuildTest, AnEventDuringABodyReadIsSkipped) {
    Load(25);
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return browser.navigations.size() == 2; }));
    // An extra event starts a read of the second page; its own completion arrives while that read
    // is under way and must not start another.
    browser.RaiseDocumentComplete();
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return builder.listFinished(); }));
    Settle();
    EXPECT_EQ(browser.bodyReads, 2);
    EXPECT_EQ(builder.foundTotal(), 25);
    h.engine->cmdStop_Click();
}

TEST_F(DirectBuildTest, AnEventDuringExtractionIsSkipped) {
    Load(25);
    browser.pages[NextPageAddress(builder.engine(), builder.searchTerms(), 101)] =
        ResultPage(Domains("r", 25, 10));
    // The statistics redraw runs inside the extraction: an event raised there must not start a
    // second read of the page being extracted.
    bool raised = false;
    QObject::connect(h.engine.get(), &HarvestEngine::statisticsChanged, &browser, [&] {
        if (!std::exchange(raised, true)) {
            browser.RaiseDocumentComplete();
        }
    });
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return builder.listFinished(); }));
    EXPECT_TRUE(raised);
    EXPECT_EQ(builder.foundTotal(), 35);
    EXPECT_EQ(browser.navigations.size(), 3u);
    h.engine->cmdStop_Click();
}

TEST_F(DirectBuildTest, EveryBuildStartsFromAnEmptyQueue) {
    std::string old = "old.example.com";
    h.database->AddWebsite(old);
    h.engine->LoadWebsiteBatch();
    ASSERT_EQ(h.engine->List(ListId::List2), std::vector<std::string>{"old.example.com"});
    std::string another = "another.example.com";
    h.database->AddWebsite(another);
    Load(2);
    EXPECT_TRUE(h.engine->List(ListId::List2).empty());
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return builder.listFinished(); }));
    std::vector<std::string> queued = h.QueuedWebsites();
    std::sort(queued.begin(), queued.end());
    EXPECT_EQ(queued, (std::vector<std::string>{"r0.com", "r1.com"}));
}

// The browser's own error page for a result page it could not load links elsewhere; none of it
// is taken for results and the build ends as on a page that brings nothing.
TEST_F(ListBuilderTest, APageThatFailedToLoadBringsNoResults) {
    const std::string first = GooglePage("lost+fax", 0);
    launcher.pages[first] = ResultPage(Domains("errorpage", 0, 30));
    h.Start({"lost"}, 0, 0);
    ASSERT_NE(launcher.CurrentBrowser(), nullptr);
    launcher.CurrentBrowser()->failingLoads.insert(first);
    ASSERT_TRUE(Finished());
    EXPECT_EQ(launcher.navigations, std::vector<std::string>{first});
    EXPECT_TRUE(h.QueuedWebsites().empty());
    EXPECT_EQ(engine.Stats().sessionSitesFound, 0);
    EXPECT_FALSE(engine.harvesting());
    EXPECT_EQ(engine.StatusText(2), "Not enough results");
}

// A body read of the first build that completes after Start opened a second build is dropped:
// nothing of the old page is queued or counted, and the old build starts no harvest.
TEST_F(ListBuilderTest, AReadCompletingAfterANewStartIsDropped) {
    const std::string first = GooglePage("alpha+fax", 0);
    launcher.pages[first] = ResultPage(Domains("old", 0, 30));
    h.Start({"alpha"}, 0, 0);
    FakeBrowser* oldBrowser = launcher.CurrentBrowser();
    ASSERT_NE(oldBrowser, nullptr);
    oldBrowser->holdBodyReads = true;
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return oldBrowser->bodyReads == 1; }));

    launcher.pages[first] = ResultPage(Domains("new", 0, 25));
    engine.Command1_Click();
    // The first builder is unloaded but not yet deleted when its read completes.
    oldBrowser->ReleaseHeldReads();
    EXPECT_EQ(engine.Stats().sessionSitesFound, 0);
    EXPECT_FALSE(engine.harvesting());
    EXPECT_EQ(h.database->CountWebsites(), 0);

    ASSERT_TRUE(BuilderHarness::RunUntil([this] { return engine.harvesting(); }));
    engine.cmdStop_Click();
    EXPECT_EQ(engine.Stats().sessionSitesFound, 25);
    std::vector<std::string> harvestable = h.QueuedWebsites();
    const auto& workList = engine.List(ListId::List2);
    harvestable.insert(harvestable.end(), workList.begin(), workList.end());
    for (const std::string& website : harvestable) {
        EXPECT_EQ(website.rfind("old", 0), std::string::npos) << website;
    }
}

// A queue that cannot be emptied when the builder loads stops the search before any query.
TEST_F(DirectBuildTest, AQueueThatCannotBeEmptiedStartsNoQuery) {
    std::string stale = "stale.example.com";
    h.database->AddWebsite(stale);
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open_v2((h.folder.path() + QStringLiteral("/spider.mdb")).toUtf8().constData(), &locker,
                              SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    int unloads = 0;
    QObject::connect(&builder, &ListBuilder::unloadRequested, &browser, [&] { ++unloads; });
    h.engine->cmdAdd_Click("direct");
    h.engine->options().Combo1 = 0;
    h.engine->options().Combo2 = 0;
    builder.Form_Load();
    sqlite3_exec(locker, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    EXPECT_TRUE(browser.navigations.empty());
    EXPECT_EQ(unloads, 1);
    EXPECT_TRUE(builder.listFinished());
    EXPECT_EQ(h.engine->StatusText(1), "Cannot empty the website queue");
    EXPECT_EQ(h.database->FirstQueuedWebsite(), "stale.example.com");
}

TEST(ListBuilderQuery, PhraseAndOptionsAreReadAtLoad) {
    struct Case {
        bool addFax;
        int engineIndex;
        int resultsIndex;
        std::string firstPage;
        std::int32_t wanted;
    };
    const Case cases[] = {
        {true, 0, 3, GooglePage("two+words+fax", 0), 1000},
        {false, 1, 5, kYahoo + "two+words&b=1", 10000},
        {true, 1, 1, kYahoo + "two+words+fax&b=1", 200},
    };
    for (const Case& c : cases) {
        BuilderHarness h;
        h.engine->options().chkAddFax = c.addFax;
        h.Start({"two words"}, c.engineIndex, c.resultsIndex);
        ListBuilder* builder = h.launcher->Builder();
        ASSERT_NE(builder, nullptr);
        EXPECT_EQ(h.launcher->CurrentBrowser()->navigations, std::vector<std::string>{c.firstPage});
        EXPECT_EQ(builder->wantedResults(), c.wanted);
        EXPECT_EQ(builder->pagePosition(), 1);
        EXPECT_FALSE(builder->listFinished());
    }
}

} // namespace
} // namespace tarnwick::testing
