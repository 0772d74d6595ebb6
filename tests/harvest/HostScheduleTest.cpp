// The per-host schedule on a clock the test sets: two downloads at most, the gap between starts
// (or a longer Crawl-delay), the pause after 429/503 and the skip after the second, Retry-After
// in its forms, the bound on remembered hosts, and the pick from the work list.
#include "harvest/HostSchedule.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

// Sun, 06 Nov 1994 08:49:37 GMT in milliseconds since 1970.
constexpr Millis kRfcDate = 784'111'777'000;
constexpr Millis kStart = 1'800'000'000'000;

using State = HostSchedule::State;

TEST(HostSchedule, AtMostTwoDownloadsToAHostAtOnce) {
    HostSchedule schedule;
    schedule.Started("a.com", kStart);
    schedule.Started("a.com", kStart + 1000);
    EXPECT_EQ(schedule.StateOf("a.com", kStart + 60'000), State::Busy);
    EXPECT_TRUE(schedule.CanStart("b.com", kStart + 1000));
    schedule.Finished("a.com");
    EXPECT_EQ(schedule.Active("a.com"), 1);
    EXPECT_TRUE(schedule.CanStart("a.com", kStart + 2000));
    // A Finished without a start, or for a host never seen, changes nothing.
    schedule.Finished("a.com");
    schedule.Finished("a.com");
    schedule.Finished("never.com");
    EXPECT_EQ(schedule.Active("a.com"), 0);
    EXPECT_EQ(schedule.Active("never.com"), 0);
}

TEST(HostSchedule, StartsOfOneHostAreASecondOrItsCrawlDelayApart) {
    struct Case {
        Millis crawlDelay;
        Millis gap;
    };
    for (const Case c :
         {Case{0, 1000}, Case{200, 1000}, Case{1000, 1000}, Case{2500, 2500}, Case{10'000, 10'000}}) {
        HostSchedule schedule;
        schedule.SetCrawlDelay("a.com", c.crawlDelay);
        EXPECT_TRUE(schedule.CanStart("a.com", kStart)) << c.crawlDelay;
        schedule.Started("a.com", kStart);
        EXPECT_EQ(schedule.NextDue("a.com"), kStart + c.gap) << c.crawlDelay;
        EXPECT_EQ(schedule.StateOf("a.com", kStart + c.gap - 1), State::Waiting) << c.crawlDelay;
        EXPECT_EQ(schedule.StateOf("a.com", kStart + c.gap), State::Ready) << c.crawlDelay;
        EXPECT_TRUE(schedule.CanStart("other.com", kStart)) << c.crawlDelay;
    }
}

TEST(HostSchedule, ABackOffPausesTheHostAndTheSecondSkipsIt) {
    struct Case {
        const char* retryAfter;
        Millis pause;
    };
    const std::vector<Case> cases{
        {"", 60'000},
        {"soon", 60'000},
        {"120", 120'000},
        {"0", 1'000}, // the gap after the last start still holds
        {"100000", 600'000},
        {"Fri, 01 Jan 2100 00:00:00 GMT", 600'000},
        {"Fri, 15 Jan 2027 08:02:00 GMT", 120'000},
    };
    for (const Case& c : cases) {
        HostSchedule schedule;
        schedule.Started("a.com", kStart);
        schedule.Finished("a.com");
        EXPECT_FALSE(schedule.BackOff("a.com", kStart, c.retryAfter)) << c.retryAfter;
        EXPECT_EQ(schedule.NextDue("a.com"), kStart + c.pause) << c.retryAfter;
        EXPECT_EQ(schedule.StateOf("a.com", kStart + c.pause - 1), State::Waiting) << c.retryAfter;
        EXPECT_TRUE(schedule.CanStart("a.com", kStart + c.pause)) << c.retryAfter;
        EXPECT_FALSE(schedule.Skipped("a.com"));

        EXPECT_TRUE(schedule.BackOff("a.com", kStart + c.pause, "1")) << c.retryAfter;
        EXPECT_TRUE(schedule.Skipped("a.com"));
        EXPECT_EQ(schedule.StateOf("a.com", kStart + 86'400'000), State::Skipped);
        EXPECT_EQ(schedule.NextDue("a.com"), HostSchedule::kNever);
        EXPECT_TRUE(schedule.CanStart("b.com", kStart + c.pause));
    }
}

TEST(HostSchedule, AHeldHostWaitsUntilReleasedAndIsNeverForgotten) {
    HostSchedule schedule(2);
    schedule.Hold("a.com");
    schedule.Started("a.com", kStart); // the robots.txt request
    schedule.Finished("a.com");
    for (int i = 0; i < 10; ++i) {
        schedule.Started("host" + std::to_string(i) + ".com", kStart);
    }
    EXPECT_EQ(schedule.StateOf("a.com", kStart + 60'000), State::Busy);
    schedule.Release("a.com");
    EXPECT_EQ(schedule.StateOf("a.com", kStart + 999), State::Waiting);
    EXPECT_TRUE(schedule.CanStart("a.com", kStart + 1000));
    schedule.Release("never.com");
    EXPECT_TRUE(schedule.CanStart("never.com", kStart));
}

TEST(HostSchedule, ANewRunForgetsEveryHost) {
    HostSchedule schedule;
    schedule.BackOff("a.com", kStart, "");
    schedule.BackOff("a.com", kStart, "");
    schedule.Started("b.com", kStart);
    schedule.Clear();
    EXPECT_TRUE(schedule.CanStart("a.com", kStart));
    EXPECT_TRUE(schedule.CanStart("b.com", kStart));
    EXPECT_EQ(schedule.size(), 0u);
}

TEST(HostSchedule, RemembersABoundedNumberOfHostsButNeverOneWithADownloadRunning) {
    HostSchedule schedule(3);
    schedule.Started("busy.com", kStart);
    for (int i = 0; i < 100; ++i) {
        const std::string host = "host" + std::to_string(i) + ".com";
        schedule.Started(host, kStart);
        schedule.Finished(host);
    }
    EXPECT_EQ(schedule.size(), 3u);
    EXPECT_EQ(schedule.Active("busy.com"), 1);
    EXPECT_EQ(schedule.StateOf("host99.com", kStart), State::Waiting);
    EXPECT_EQ(schedule.StateOf("host0.com", kStart), State::Ready); // forgotten
    schedule.Finished("busy.com");
    EXPECT_EQ(schedule.Active("busy.com"), 0);
}

TEST(RetryAfter, ReadsSecondsAndTheThreeDateForms) {
    struct Case {
        const char* value;
        Millis now;
        std::optional<Millis> delay;
    };
    const std::vector<Case> cases{
        {"120", kStart, 120'000},
        {" 7 ", kStart, 7'000},
        {"0", kStart, 0},
        {"99999999999999999999999", kStart, 1'000'000'000'000},
        {"Sun, 06 Nov 1994 08:49:37 GMT", kRfcDate - 5'000, 5'000},
        {"Sunday, 06-Nov-94 08:49:37 GMT", kRfcDate - 5'000, 5'000},
        {"Sun Nov  6 08:49:37 1994", kRfcDate - 5'000, 5'000},
        {"sun, 06 nov 1994 08:49:37 gmt", kRfcDate - 60'000, 60'000},
        {"Thu, 29 Feb 2024 23:59:59 GMT", 1'709'251'199'000 - 1'000, 1'000},
        {"Sun, 06 Nov 1994 08:49:37 GMT", kRfcDate + 5'000, 0},
        {"-5", kStart, std::nullopt},
        {"1.5", kStart, std::nullopt},
        {"", kStart, std::nullopt},
        {"tomorrow", kStart, std::nullopt},
        {"Sun, 32 Nov 1994 08:49:37 GMT", kStart, std::nullopt},
        {"Sun, 06 Nov 1994 25:49:37 GMT", kStart, std::nullopt},
        {"Sun, 06 Foo 1994 08:49:37 GMT", kStart, std::nullopt},
        {"Sun, 06 Nov 1994", kStart, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RetryAfterDelay(c.value, c.now), c.delay) << c.value;
    }
}

TEST(HostKey, DropsThePortAndTheLetterCase) {
    EXPECT_EQ(HostKey("Shop.Example.COM"), "shop.example.com");
    EXPECT_EQ(HostKey("shop.example.com:8443"), "shop.example.com");
    EXPECT_EQ(HostKey("[::1]:8080"), "[::1]");
}

struct Website {
    std::string address;
    std::string host;
};

WorkPick Pick(const std::vector<Website>& websites, const HostSchedule& schedule, Millis now) {
    return PickWork(
        websites, [](const Website& w) -> const std::string& { return w.host; }, schedule, now);
}

TEST(PickWork, TakesTheFirstWebsiteWhoseHostMayStart) {
    HostSchedule schedule;
    const std::vector<Website> list{{"a.com/1", "a.com"}, {"a.com/2", "a.com"}, {"b.com/", "b.com"}};
    WorkPick pick = Pick(list, schedule, kStart);
    EXPECT_EQ(pick.index, 0u);
    EXPECT_FALSE(pick.skipped);
    EXPECT_FALSE(pick.allWaiting);

    schedule.Started("a.com", kStart);
    pick = Pick(list, schedule, kStart);
    EXPECT_EQ(pick.index, 2u); // a.com waits for its gap; the slot takes b.com meanwhile
    EXPECT_FALSE(pick.allWaiting);

    pick = Pick(list, schedule, kStart + 1000);
    EXPECT_EQ(pick.index, 0u); // back to the waiting one when its turn is due
}

TEST(PickWork, SaysWhenEveryQueuedWebsiteWaitsAndForWhom) {
    HostSchedule schedule;
    schedule.SetCrawlDelay("a.com", 5000);
    schedule.Started("a.com", kStart);
    schedule.Started("b.com", kStart + 500);
    schedule.Started("c.com", kStart);
    schedule.Started("c.com", kStart);
    const std::vector<Website> list{
        {"c.com/", "c.com"}, {"a.com/", "a.com"}, {"b.com/x", "b.com"}, {"b.com/y", "b.com"}};
    const WorkPick pick = Pick(list, schedule, kStart + 600);
    EXPECT_EQ(pick.index, WorkPick::kNone);
    EXPECT_TRUE(pick.allWaiting);
    EXPECT_EQ(pick.waitingFor, 2u);
    EXPECT_EQ(pick.wakeAt, kStart + 1500);

    // Hosts that are only busy wake nobody by time: a finished download does.
    const WorkPick busy = Pick({{"c.com/", "c.com"}}, schedule, kStart + 600);
    EXPECT_TRUE(busy.allWaiting);
    EXPECT_EQ(busy.waitingFor, 0u);
    EXPECT_EQ(busy.wakeAt, HostSchedule::kNever);

    const WorkPick empty = Pick({}, schedule, kStart);
    EXPECT_EQ(empty.index, WorkPick::kNone);
    EXPECT_FALSE(empty.allWaiting);
}

TEST(PickWork, HandsOutAWebsiteOfASkippedHostToBeDropped) {
    HostSchedule schedule;
    schedule.Started("a.com", kStart);
    schedule.BackOff("s.com", kStart, "");
    schedule.BackOff("s.com", kStart, "");
    const WorkPick pick =
        Pick({{"a.com/", "a.com"}, {"s.com/", "s.com"}, {"b.com/", "b.com"}}, schedule, kStart);
    EXPECT_EQ(pick.index, 1u);
    EXPECT_TRUE(pick.skipped);
    EXPECT_FALSE(pick.allWaiting);
}

} // namespace
} // namespace tarnwick
