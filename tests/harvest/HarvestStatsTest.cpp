// The statistics counters: what each counted event raises, and the lifetime counters reaching
// the settings store at most once a second while they change and at once at Stop and close.
#include "harvest/HarvestStats.h"

#include "EngineHarness.h"

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

class CountingSettings final : public SettingsStore {
public:
    std::string Read(const std::string& key, const std::string& fallback) override {
        const auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    void Write(const std::string& key, const std::string& value) override {
        values[key] = value;
        ++writes;
    }
    std::map<std::string, std::string> values;
    int writes = 0;
};

TEST(HarvestStats, CountEventRaisesTheCountersAndSavesTheLifetimeOnes) {
    EngineHarness h;
    h.engine().SetStatistics({1, 2, 3, 40, 50});
    int redraws = 0;
    QObject::connect(&h.engine(), &HarvestEngine::statisticsChanged, &h.engine(), [&] { ++redraws; });
    for (const int kind : {0, 0, 1, 2, 7}) {
        h.engine().CountEvent(kind);
    }
    const Statistics& s = h.engine().Stats();
    EXPECT_EQ(s.sessionSitesScanned, 3);
    EXPECT_EQ(s.sessionSitesFound, 3);
    EXPECT_EQ(s.sessionNumbersFound, 4);
    EXPECT_EQ(s.histSitesScanned, 42);
    EXPECT_EQ(s.histNumbersFound, 51);
    EXPECT_EQ(redraws, 5);
    // Saved within the second, not count by count.
    EXPECT_FALSE(h.settings.values.contains("lHistWebScanned"));
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return h.settings.values["lHistEmailFound"] == "51"; }, 3000));
    EXPECT_EQ(h.settings.values["lHistWebScanned"], "42");

    h.engine().DeleteAllWebsites();
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 0);
    EXPECT_EQ(h.engine().Stats().sessionSitesFound, 0);
    EXPECT_EQ(h.engine().Stats().sessionNumbersFound, 4);
    h.engine().DeleteAllFaxes();
    EXPECT_EQ(h.engine().Stats().sessionNumbersFound, 0);
    EXPECT_EQ(h.engine().Stats().histNumbersFound, 51);
}

TEST(HarvestStats, ABurstOfCountsWritesTheStoreAtMostOnceASecond) {
    CountingSettings settings;
    HarvestStats stats(settings);
    stats.Set({0, 0, 0, 100, 200});
    for (int i = 0; i < 5000; ++i) {
        stats.Count(i % 2 == 0 ? Counted::WebsiteScanned : Counted::NumberStored);
    }
    EXPECT_EQ(settings.writes, 0);
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return settings.values["lHistEmailFound"] == "2700"; }, 3000));
    EXPECT_EQ(settings.values["lHistWebScanned"], "2600");
    const int writes = settings.writes;
    EngineHarness::Pump(1200);
    EXPECT_EQ(settings.writes, writes) << "nothing changed, nothing written";

    stats.Count(Counted::WebsiteFound); // a session counter only
    EngineHarness::Pump(1200);
    EXPECT_EQ(settings.writes, writes);
}

// Stop, the end of a harvest and the program's close write what the last second counted.
TEST(HarvestStats, StopAndCloseSaveAtOnce) {
    for (const bool close : {false, true}) {
        EngineHarness h;
        h.engine().SetStatistics({0, 0, 0, 7, 9});
        h.Phrases({"plumbers"});
        h.engine().cmdDoSearch_Click();
        for (int i = 0; i < 3; ++i) {
            h.engine().CountEvent(Counted::WebsiteScanned);
            h.engine().CountEvent(Counted::NumberStored);
        }
        if (close) {
            h.engine().Shutdown();
        } else {
            h.engine().cmdStop_Click();
        }
        EXPECT_EQ(h.settings.values["lHistWebScanned"], "10") << (close ? "close" : "stop");
        EXPECT_EQ(h.settings.values["lHistEmailFound"], "12") << (close ? "close" : "stop");
    }
}

} // namespace
} // namespace tarnwick::test
