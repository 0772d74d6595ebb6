// The download slots on the fixture web: a page that arrives leaves its slot to the page
// chain, even through Stop; a silent host fails as unreachable; a slot with nothing to fetch
// looks again after the idle time-out.
#include "harvest/SlotPool.h"

#include "EngineHarness.h"
#include "harvest/RunView.h"

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

struct PoolFixture {
    explicit PoolFixture(EngineHarness& h)
        : services{h.db(),
                   h.appFolder(),
                   h.sounds,
                   h.prompts,
                   h.settings,
                   [port = h.web.Port()](const std::string&) { return Endpoint{QStringLiteral("127.0.0.1"), port}; }}
        , pool(services, view) {
        pool.SetTickInterval(10);
        pool.SetTimeouts(5, 200);
        pool.SetAllowPrivateAddresses(true); // the fixture web answers on loopback
        view.SetHarvesting(true);
        QObject::connect(&pool, &SlotPool::pageArrived, &pool,
                         [this](const PageJob& job) { jobs.push_back(job); });
        QObject::connect(&pool, &SlotPool::downloadFailed, &pool,
                         [this](int slot, bool unreachable, const std::string& host) {
                             failures.push_back({slot, unreachable, host});
                         });
        QObject::connect(&pool, &SlotPool::waitOver, &pool, [this](int slot) { waited.push_back(slot); });
    }

    struct Failure {
        int slot;
        bool unreachable;
        std::string host;
    };

    EngineServices services;
    RunView view;
    SlotPool pool;
    std::vector<PageJob> jobs;
    std::vector<Failure> failures;
    std::vector<int> waited;
};

TEST(SlotPool, AnArrivedPageKeepsItsSlotThroughStopUntilItsChainEnds) {
    EngineHarness h;
    h.web.SetPage("www.site.com", "/a.html", "<p>page</p>");
    PoolFixture f(h);
    f.pool.Start(3, "www.site.com", "/a.html", false);
    EXPECT_EQ(f.view.StatusText(StatusPanel::Download), "Downloading: http://www.site.com/a.html");
    EXPECT_EQ(f.pool.phase(3), SlotPool::Phase::Fetching);
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !f.jobs.empty(); }));

    const PageJob& job = f.jobs.front();
    EXPECT_EQ(job.slot, 3);
    EXPECT_EQ(job.host, "www.site.com");
    EXPECT_EQ(job.path, "/a.html");
    EXPECT_EQ(job.page, "<p>page</p>");
    EXPECT_EQ(f.pool.phase(3), SlotPool::Phase::PageChain);

    f.pool.AbandonDownloads();
    EXPECT_EQ(f.pool.phase(3), SlotPool::Phase::PageChain);
    f.pool.ChainEnded(3);
    EXPECT_EQ(f.pool.phase(3), SlotPool::Phase::Idle);
    const std::uint64_t before = f.pool.generation(3);
    EXPECT_EQ(f.pool.Renew(3), before + 1);
}

// Slot 0 fetches from a silent host and slot 1 waits; abandoned at once or left to run out.
TEST(SlotPool, ASilentHostFailsAsUnreachableAnIdleSlotLooksAgainAndAbandonedOnesSayNothing) {
    for (const bool abandon : {false, true}) {
        EngineHarness h;
        h.web.SetHostility("silent.example", Hostility::Silent);
        PoolFixture f(h);
        f.pool.Start(0, "silent.example", "/", false);
        f.pool.Wait(1);
        if (abandon) {
            f.pool.AbandonDownloads();
            EngineHarness::Pump(300);
            EXPECT_TRUE(f.failures.empty());
            EXPECT_TRUE(f.waited.empty());
            EXPECT_EQ(f.pool.phase(0), SlotPool::Phase::Idle);
            continue;
        }
        ASSERT_TRUE(EngineHarness::WaitFor([&] { return !f.failures.empty() && !f.waited.empty(); }));
        EXPECT_EQ(f.failures[0].slot, 0);
        EXPECT_TRUE(f.failures[0].unreachable);
        EXPECT_EQ(f.failures[0].host, "silent.example");
        EXPECT_EQ(f.waited, std::vector<int>{1});
        EXPECT_TRUE(f.jobs.empty());
    }
}

} // namespace
} // namespace tarnwick::test
