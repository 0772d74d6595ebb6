// Run control: starting the slots, Start's checks, Stop, Resume, Next, the automatic advance and
// what happens when the queue runs dry, with the status texts and buttons of each state.
#include "EngineHarness.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>

namespace tarnwick::test {
namespace {

std::vector<std::string> Numbered(const std::string& prefix, int count, const std::string& suffix = "/") {
    std::vector<std::string> sites;
    for (int i = 0; i < count; ++i) {
        sites.push_back(prefix + std::to_string(i) + suffix);
    }
    return sites;
}

struct ButtonState {
    bool start, next, stop, resume, database;
};

void ExpectButtons(HarvestEngine& engine, ButtonState want) {
    EXPECT_EQ(engine.IsEnabled(Button::Command1), want.start);
    EXPECT_EQ(engine.IsEnabled(Button::cmdNextSearch), want.next);
    EXPECT_EQ(engine.IsEnabled(Button::cmdStop), want.stop);
    EXPECT_EQ(engine.IsEnabled(Button::cmdResume), want.resume);
    EXPECT_EQ(engine.IsEnabled(Button::cmdViewDatabase), want.database);
    EXPECT_EQ(engine.IsEnabled(Button::Command2), want.database);
    EXPECT_EQ(engine.IsEnabled(Button::Command3), want.database);
}

void ExpectPanels(HarvestEngine& engine, const std::vector<std::string>& want) {
    for (int panel = 1; panel <= 4; ++panel) {
        EXPECT_EQ(engine.StatusText(panel), want[static_cast<std::size_t>(panel - 1)]) << "panel " << panel;
    }
}

// Seeds the skipped-host text with "dead.example" through a real idle time-out.
void TimeOutDeadHost(EngineHarness& h) {
    h.web.SetHostility("dead.example", Hostility::Silent);
    h.engine().SetTimeouts(3, 100);
    h.engine().options().cmbLastSearch = 1;
    h.Queue({"first.example/", "dead.example/"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().TimedOutHosts() == "dead.example"; }));
    h.engine().cmdStop_Click();
    h.sounds.played.clear();
}

TEST(EngineRun, ThreeWorkListEntriesStartFourSlotsAndTheHeadIsDroppedUnfetched) {
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::Silent);
    h.Phrases({"plumbers"});
    h.Queue({"hold.example/b0", "hold.example/b1", "hold.example/b2"});
    ASSERT_TRUE(h.engine().LoadWebsiteBatch());
    ASSERT_EQ(h.engine().List(ListId::List2).size(), 3u);
    h.Queue(Numbered("hold.example/q", 20, ""));
    h.engine().cmdDoSearch_Click();

    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.RequestCount() >= 4; }));
    EngineHarness::Pump(100);
    EXPECT_EQ(h.web.RequestCount(), 4u);
    EXPECT_FALSE(h.web.WasRequested("hold.example", "/b0"));
    for (const char* path : {"/b1", "/b2", "/q0", "/q1"}) {
        EXPECT_TRUE(h.web.WasRequested("hold.example", path)) << path;
    }
    EXPECT_TRUE(h.engine().harvesting());
    ExpectButtons(h.engine(), {false, false, true, false, false});
}

TEST(EngineRun, ABatchOfTwentyStartsExactlyTenSlots) {
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::Silent);
    h.Phrases({"plumbers", "roofers"});
    h.Queue(Numbered("hold.example/p", 35, ""));
    h.engine().cmdDoSearch_Click();

    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.RequestCount() >= 10; }));
    EngineHarness::Pump(100);
    EXPECT_EQ(h.web.RequestCount(), 10u);
    // The batch is the 20 newest (p15 to p34); its first entry is dropped, the second fetched.
    EXPECT_FALSE(h.web.WasRequested("hold.example", "/p15"));
    EXPECT_TRUE(h.web.WasRequested("hold.example", "/p16"));
    EXPECT_EQ(h.engine().List(ListId::List2).size(), 20u);
    ExpectButtons(h.engine(), {false, true, true, false, false});
}

TEST(EngineRun, AnEmptyWorkListAtHarvestStartFetchesNothingButKeepsRunning) {
    EngineHarness h;
    h.Phrases({"plumbers"});
    h.engine().cmdDoSearch_Click();
    EngineHarness::Pump(50);
    EXPECT_EQ(h.web.RequestCount(), 0u);
    EXPECT_TRUE(h.engine().harvesting());
    EXPECT_TRUE(h.engine().IsEnabled(Button::cmdStop));
}

struct StartCase {
    const char* name;
    std::vector<std::string> phrases;
    int combo1;
    int combo2;
    std::string message; // empty: Start passes
    FocusTarget focus;
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.name;
}

class EngineStart : public testing::TestWithParam<StartCase> {};

TEST_P(EngineStart, ValidatesAfterEmptyingTheQueueAndOpensTheListBuilder) {
    const StartCase& c = GetParam();
    EngineHarness h;
    h.Phrases(c.phrases);
    h.engine().options().Combo1 = c.combo1;
    h.engine().options().Combo2 = c.combo2;
    h.Queue({"old.example/"});
    h.engine().LoadRunState();
    h.Queue({"older.example/"});
    h.engine().Command1_Click();

    EXPECT_EQ(h.db().CountWebsites(), 0);
    EXPECT_TRUE(h.engine().List(ListId::List2).empty());
    EXPECT_EQ(h.sounds.Count("/sounds/nextsearch.wav"), 1);
    ExpectButtons(h.engine(), {true, false, false, false, false});
    if (c.message.empty()) {
        EXPECT_TRUE(h.prompts.messages.empty());
        EXPECT_EQ(h.launcher.loads, 1);
        EXPECT_EQ(h.engine().txtSearch(), c.phrases.front());
    } else {
        ASSERT_EQ(h.prompts.messages.size(), 1u);
        EXPECT_EQ(h.prompts.messages[0].first, c.message);
        EXPECT_EQ(h.prompts.messages[0].second, c.focus);
        EXPECT_EQ(h.launcher.loads, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineStart,
    testing::Values(StartCase{"NoPhrase",
                              {},
                              0,
                              0,
                              "Please enter at least one search term before begining your search.",
                              FocusTarget::Text1},
                    StartCase{"NoEngine",
                              {"plumbers"},
                              -1,
                              0,
                              "Please enter a search type before begining your search.",
                              FocusTarget::Combo1},
                    StartCase{
                        "NoCount",
                        {"plumbers"},
                        1,
                        -1,
                        "Please select the number of search results to retrieve before begining your search.",
                        FocusTarget::Combo2},
                    StartCase{"Valid", {"plumbers", "roofers"}, 1, 5, "", FocusTarget::None}),
    [](const testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

struct StopCase {
    const char* name;
    int queued;
    bool resumeOffered;
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class EngineStop : public testing::TestWithParam<StopCase> {};

TEST_P(EngineStop, StopWithTenDownloadsInFlightSavesAndScansNothing) {
    const StopCase& c = GetParam();
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::NeverClose);
    h.web.SetGenerator([](const std::string&, const std::string& path) {
        return FixtureWeb::OkResponse("<a href=\"/next" + path.substr(1) + ".html\">n</a> Fax: (212) 555-0" +
                                      std::to_string(100 + path.size()) + "\r\n");
    });
    h.Phrases({"plumbers"});
    h.Queue(Numbered("hold.example/p", c.queued, ""));
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(
        EngineHarness::WaitFor([&] { return h.web.RequestCount() == 10 && h.web.OpenConnections() == 10; }));
    EngineHarness::Pump(50); // the pages have arrived; the server keeps every connection open

    h.engine().cmdStop_Click();
    EXPECT_FALSE(h.engine().harvesting());
    ExpectPanels(h.engine(), {"Stopped", "", "", ""});
    ExpectButtons(h.engine(), {true, false, false, c.resumeOffered, true});
    EXPECT_EQ(h.engine().ProgressValue(), 100);
    EXPECT_EQ(h.sounds.Count("/sounds/finished.wav"), 1);
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.OpenConnections() == 0; }));

    EngineHarness::Pump(700); // well past the idle time-out
    for (int slot = 0; slot < HarvestEngine::kSlotCount; ++slot) {
        EXPECT_FALSE(FileExists(h.appFolder() + "/html" + std::to_string(slot) + ".txt"));
    }
    EXPECT_TRUE(h.StoredFaxes().empty());
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 0);
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 0);
    EXPECT_TRUE(h.engine().TimedOutHosts().empty());
    EXPECT_EQ(h.web.RequestCount(), 10u);
}

// 40 queued: the batch takes 20 and the ten takes 10, so 10 stay in the table. 30 queued: the
// table is empty while the work list still holds entries, which Resume does not count.
INSTANTIATE_TEST_SUITE_P(Cases, EngineStop,
                         testing::Values(StopCase{"WebsitesLeftInTable", 40, true},
                                         StopCase{"OnlyWorkListLeft", 30, false}),
                         [](const testing::TestParamInfo<StopCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(EngineRun, ResumeTakesUpTheWorkListWhereItStands) {
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::Silent);
    h.Phrases({"plumbers"});
    h.Queue(Numbered("hold.example/p", 40, ""));
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.RequestCount() == 10; }));
    h.engine().cmdStop_Click();
    ASSERT_TRUE(h.engine().IsEnabled(Button::cmdResume));
    const std::vector<std::string> workList = h.engine().List(ListId::List2);
    ASSERT_EQ(workList.size(), 20u);

    const std::string second = workList[1].substr(workList[1].find('/'));
    ASSERT_FALSE(h.web.WasRequested("hold.example", second));

    h.engine().cmdResume_Click();
    EXPECT_TRUE(h.engine().harvesting());
    ExpectButtons(h.engine(), {false, false, true, false, false});
    // The first take of the resumed harvest drops the head and fetches the entry behind it.
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.RequestCount() == 20; }));
    EXPECT_TRUE(h.web.WasRequested("hold.example", second));
}

TEST(EngineRun, NextMovesToTheFollowingPhraseAndDiscardsTheQueue) {
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::Silent);
    h.Phrases({"plumbers", "roofers", "glaziers"});
    h.Queue(Numbered("hold.example/p", 30, ""));
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.RequestCount() == 10; }));
    h.sounds.played.clear();

    h.engine().cmdNextSearch_Click();
    EXPECT_FALSE(h.engine().harvesting());
    EXPECT_EQ(h.engine().List(ListId::List1), (std::vector<std::string>{"roofers", "glaziers"}));
    EXPECT_EQ(h.StoredSearches(), (std::vector<std::string>{"roofers", "glaziers"}));
    EXPECT_TRUE(h.engine().List(ListId::List2).empty());
    EXPECT_EQ(h.db().CountWebsites(), 0);
    EXPECT_EQ(h.engine().txtSearch(), "roofers");
    EXPECT_EQ(h.launcher.loads, 1);
    EXPECT_EQ(h.sounds.played, (std::vector<std::string>{h.appFolder() + "/sounds/finished.wav",
                                                         h.appFolder() + "/sounds/nextsearch.wav"}));
    ExpectButtons(h.engine(), {true, false, false, false, false});
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.OpenConnections() == 0; }));
}

struct LastNextCase {
    const char* name;
    int lastSearch;
    bool keepsRunning;
};

void PrintTo(const LastNextCase& c, std::ostream* os) {
    *os << c.name;
}

class EngineNextAtLastPhrase : public testing::TestWithParam<LastNextCase> {};

TEST_P(EngineNextAtLastPhrase, StopsOrOnlyPlaysTheFinishedSound) {
    const LastNextCase& c = GetParam();
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::Silent);
    h.engine().options().cmbLastSearch = c.lastSearch;
    h.Phrases({"plumbers"});
    h.Queue(Numbered("hold.example/p", 30, ""));
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.RequestCount() == 10; }));
    h.sounds.played.clear();

    h.engine().cmdNextSearch_Click();
    EXPECT_EQ(h.engine().harvesting(), c.keepsRunning);
    EXPECT_EQ(h.sounds.Count("/sounds/finished.wav"), 1);
    EXPECT_EQ(h.sounds.Count("/sounds/nextsearch.wav"), 0);
    EXPECT_EQ(h.engine().List(ListId::List1), std::vector<std::string>{"plumbers"});
    EXPECT_EQ(h.launcher.loads, 0);
    EXPECT_EQ(h.engine().StatusText(1) == "Stopped", !c.keepsRunning);
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineNextAtLastPhrase,
                         testing::Values(LastNextCase{"StopImmediately", 0, false},
                                         LastNextCase{"NoChoice", -1, false},
                                         LastNextCase{"ContinueUntilStopped", 1, true}),
                         [](const testing::TestParamInfo<LastNextCase>& info) {
                             return std::string(info.param.name);
                         });

struct AdvanceCase {
    const char* name;
    int deadWebsites;
    std::vector<std::string> phrases;
    bool advanced; // else the queue ran dry first
};

void PrintTo(const AdvanceCase& c, std::ostream* os) {
    *os << c.name;
}

class EngineAutoAdvance : public testing::TestWithParam<AdvanceCase> {};

// Every queued website is on a host that timed out, so each take is skipped at once and the
// takes can be counted: the 1001st take advances, counting the takes that start the slots.
TEST_P(EngineAutoAdvance, AdvancesOnTheTakeAfterTheThreshold) {
    const AdvanceCase& c = GetParam();
    EngineHarness h;
    TimeOutDeadHost(h);
    h.engine().options().cmbLastSearch = 0;
    h.engine().options().chkAuto = true;
    h.engine().SetAdvanceIndex(0);
    ASSERT_EQ(h.engine().AdvanceAfter(), 1000);
    h.Phrases(c.phrases);
    h.engine().DeleteAllWebsites();
    h.Queue(Numbered("dead.example/p", c.deadWebsites, ""));
    const std::size_t requestsBefore = h.web.RequestCount();

    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !h.engine().harvesting(); }));
    EXPECT_EQ(h.engine().StatusText(2), c.advanced ? "" : "No more websites queued");
    EXPECT_EQ(h.engine().StatusText(3), c.advanced ? "" : "Try a different search");
    EXPECT_EQ(h.web.RequestCount(), requestsBefore);
    const bool nextPhrase = c.advanced && c.phrases.size() > 1;
    EXPECT_EQ(h.launcher.loads, nextPhrase ? 1 : 0);
    EXPECT_EQ(h.engine().List(ListId::List1).size(), nextPhrase ? c.phrases.size() - 1 : c.phrases.size());
    if (nextPhrase) {
        EXPECT_EQ(h.engine().txtSearch(), c.phrases[1]);
        EXPECT_EQ(h.db().CountWebsites(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineAutoAdvance,
    testing::Values(AdvanceCase{"ThousandTakesRunDry", 1000, {"plumbers"}, false},
                    AdvanceCase{"ThousandAndOneAdvance", 1001, {"plumbers"}, true},
                    AdvanceCase{"AdvanceToTheNextPhrase", 1100, {"plumbers", "roofers"}, true}),
    [](const testing::TestParamInfo<AdvanceCase>& info) { return std::string(info.param.name); });

TEST(EngineRun, AutoAdvanceAtTheLastPhraseUnderContinueKeepsTheSlotGoing) {
    EngineHarness h;
    TimeOutDeadHost(h);
    h.engine().options().cmbLastSearch = 1;
    h.engine().options().chkAuto = true;
    h.engine().SetAdvanceIndex(0);
    h.Phrases({"plumbers"});
    h.engine().DeleteAllWebsites();
    // The batch is the 20 newest; after its 19 takes the table is taken in order, so take 1001
    // reaches the 982nd website of the table.
    std::vector<std::string> sites = Numbered("dead.example/p", 981, "");
    sites.push_back("live.example/");
    for (const std::string& site : Numbered("dead.example/b", 20, "")) {
        sites.push_back(site);
    }
    h.Queue(sites);

    h.engine().cmdDoSearch_Click();
    // Take 1001 advances (only the sound at the last phrase) and goes on to fetch the live site.
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.WasRequested("live.example", "/"); }));
    EXPECT_TRUE(h.engine().harvesting());
    EXPECT_GE(h.sounds.Count("/sounds/finished.wav"), 1);
    EXPECT_EQ(h.sounds.Count("/sounds/nextsearch.wav"), 0);
    EXPECT_EQ(h.launcher.loads, 0);
}

TEST(EngineRun, DryQueueWithMorePhrasesMovesToTheNextPhrase) {
    EngineHarness h;
    h.Phrases({"plumbers", "roofers"});
    h.Queue({"a.example/", "b.example/"});
    h.engine().cmdDoSearch_Click();

    EXPECT_FALSE(h.engine().harvesting());
    EXPECT_EQ(h.engine().List(ListId::List1), std::vector<std::string>{"roofers"});
    EXPECT_EQ(h.StoredSearches(), std::vector<std::string>{"roofers"});
    EXPECT_TRUE(h.engine().List(ListId::List2).empty());
    EXPECT_EQ(h.launcher.unloads, 1);
    EXPECT_EQ(h.launcher.loads, 1);
    EXPECT_EQ(h.engine().txtSearch(), "roofers");
    ExpectPanels(h.engine(), {"Stopped", "No more websites queued", "Try a different search", ""});
    EXPECT_EQ(h.sounds.played, (std::vector<std::string>{h.appFolder() + "/sounds/finished.wav",
                                                         h.appFolder() + "/sounds/nextsearch.wav"}));
    ExpectButtons(h.engine(), {true, false, false, false, false});
    EngineHarness::Pump(100);
    EXPECT_EQ(h.web.RequestCount(), 0u);
}

TEST(EngineRun, DryQueueAtTheLastPhraseStopsImmediately) {
    EngineHarness h;
    h.Phrases({"plumbers"});
    h.Queue({"a.example/", "b.example/"});
    h.engine().cmdDoSearch_Click();

    EXPECT_FALSE(h.engine().harvesting());
    ExpectPanels(h.engine(), {"Stopped", "No more websites queued", "Try a different search", ""});
    ExpectButtons(h.engine(), {true, false, false, false, true});
    EXPECT_EQ(h.engine().ProgressValue(), 100);
    EXPECT_EQ(h.sounds.Count("/sounds/finished.wav"), 1);
    EXPECT_EQ(h.launcher.loads, 0);
}

TEST(EngineRun, ContinueUntilStoppedIdlesBoundedAndPicksUpNewWebsites) {
    EngineHarness h;
    h.engine().options().cmbLastSearch = 1;
    h.engine().SetTimeouts(10, 100);
    h.web.SetPage("b.example", "/", "<p>nothing here</p>");
    h.Phrases({"plumbers"});
    h.Queue({"a.example/", "b.example/"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.engine().Stats().sessionSitesScanned == 1; }));

    EngineHarness::Pump(600); // some six idle time-outs of each waiting slot
    EXPECT_TRUE(h.engine().harvesting());
    EXPECT_LE(h.engine().List(ListId::List2).size(), 1u);
    EXPECT_TRUE(h.engine().TimedOutHosts().empty());
    EXPECT_EQ(h.sounds.Count("/sounds/finished.wav"), 1);
    EXPECT_EQ(h.web.RequestCount(), 1u);

    h.web.SetPage("c.example", "/", "<body><p>Fax: (212) 555-0142</p>");
    h.Queue({"c.example/"});
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.StoredFaxes().size() == 1; }));
    EXPECT_EQ(h.StoredFaxes()[0].website, "c.example/");

    h.engine().cmdStop_Click();
    ExpectPanels(h.engine(), {"Stopped", "", "", ""});
    ExpectButtons(h.engine(), {true, false, false, false, true});
}

TEST(EngineRun, TimersDoNothingOnceTheHarvestHasStopped) {
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::Silent);
    h.engine().SetTimeouts(40, 50);
    h.engine().options().cmbLastSearch = 1;
    h.Phrases({"plumbers"});
    h.Queue({"hold.example/a", "hold.example/b"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.web.RequestCount() == 1; }));
    h.engine().cmdStop_Click();
    const Statistics before = h.engine().Stats();

    EngineHarness::Pump(700); // seventy ticks, well past both time-outs
    EXPECT_TRUE(h.engine().TimedOutHosts().empty());
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, before.sessionSitesScanned);
    EXPECT_EQ(h.engine().List(ListId::List2), std::vector<std::string>{""});
    EXPECT_EQ(h.web.RequestCount(), 1u);
}

TEST(EngineRun, LoadOffersResumeOnlyWithAPhraseAndAPendingBatch) {
    for (const bool withPhrase : {false, true}) {
        EngineHarness h;
        if (withPhrase) {
            std::string phrase = "plumbers";
            h.db().AddSearch(phrase);
        }
        h.Queue({"a.example/", "b.example/"});
        h.engine().LoadRunState();
        EXPECT_EQ(h.engine().IsEnabled(Button::cmdResume), withPhrase);
        EXPECT_EQ(h.engine().List(ListId::List2).size(), withPhrase ? 2u : 0u);
        EXPECT_EQ(h.db().CountWebsites(), withPhrase ? 0 : 2);
    }
}

} // namespace
} // namespace tarnwick::test
