// The work queue: the take at the head of the work list, the move from the table to its tail,
// the links counted only once stored, and the hosts to skip in each mode.
#include "harvest/WorkQueue.h"

#include "EngineHarness.h"
#include "harvest/HarvestStats.h"
#include "harvest/RunView.h"

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

struct SkipCase {
    const char* added;
    const char* asked;
    bool secureWeb;
    bool skipped;
};

TEST(SkippedHosts, ClassicIsASubstringRuleTheSecureWebAnExactSetOfHostAndPort) {
    const SkipCase cases[] = {
        {"dead.example", "dead.example", false, true},
        {"dead.example", "DEAD.example", false, true},
        {"dead.example", "ad.exa", false, true}, // inside the text
        {"localhost.poison.invalid:1", "localhost", false, true},
        {"dead.example", "dead.example", true, true},
        {"dead.example", "DEAD.EXAMPLE", true, true},
        {"dead.example", "ad.exa", true, false},
        {"localhost.poison.invalid:1", "localhost", true, false},
        {"localhost.poison.invalid:1", "localhost.poison.invalid:1", true, true},
        {"localhost.poison.invalid:1", "localhost.poison.invalid:2", true, false},
        {"localhost.poison.invalid:1", "localhost.poison.invalid", true, false},
    };
    for (const SkipCase& c : cases) {
        SkippedHosts hosts;
        hosts.Add(c.added, c.secureWeb);
        EXPECT_EQ(hosts.Contains(c.asked, c.secureWeb), c.skipped)
            << c.added << " / " << c.asked << (c.secureWeb ? " secure" : " classic");
    }
}

TEST(SkippedHosts, TheSecureSetIsBoundedAndListedOnce) {
    SkippedHosts hosts;
    hosts.Add("a.example", true);
    hosts.Add("A.example", true);
    hosts.Add("b.example:8080", true);
    EXPECT_EQ(hosts.Text(), "a.exampleb.example");
    for (std::size_t i = 0; i < SkippedHosts::kSecureCapacity; ++i) {
        hosts.Add("h" + std::to_string(i) + ".example", true);
    }
    EXPECT_FALSE(hosts.Contains("a.example", true)) << "the oldest gave way";
    EXPECT_TRUE(hosts.Contains("h99999.example", true));
    hosts.Clear();
    EXPECT_EQ(hosts.Text(), "");
}

TEST(WorkQueue, TakesTheHeadAndRefillsTheTailFromTheTable) {
    EngineHarness h;
    RunView view;
    HarvestStats stats(h.settings);
    WorkQueue queue(view, h.db(), stats);
    EXPECT_FALSE(queue.TakeHead().has_value());
    h.Queue({"a.example/", "b.example/", "c.example/"});
    ASSERT_TRUE(queue.LoadBatch());
    EXPECT_EQ(view.List(ListId::List2), (std::vector<std::string>{"a.example/", "b.example/", "c.example/"}));
    EXPECT_EQ(h.db().CountWebsites(), 0);

    h.Queue({"d.example/"});
    EXPECT_EQ(queue.TakeHead(), "b.example/");
    const std::string next = queue.FirstQueued();
    EXPECT_EQ(next, "d.example/");
    queue.Append(next, false);
    EXPECT_EQ(view.List(ListId::List2), (std::vector<std::string>{"b.example/", "c.example/", "d.example/"}));
    EXPECT_EQ(h.db().CountWebsites(), 0);

    view.List(ListId::List2) = {"", ""};
    queue.DropEmptyHead();
    EXPECT_TRUE(queue.ListEmpty());
}

TEST(WorkQueue, ALinkIsCountedOnceQueuedAndNeverWhenKnown) {
    EngineHarness h;
    RunView view;
    HarvestStats stats(h.settings);
    WorkQueue queue(view, h.db(), stats);
    view.List(ListId::List2) = {"listed.example/"};
    queue.QueueLink("new.example/", false);
    queue.QueueLink("new.example/", false);
    queue.QueueLink("listed.example/", false);
    EXPECT_EQ(stats.Get().sessionSitesFound, 1);
    EXPECT_EQ(h.db().CountWebsites(), 1);

    EXPECT_TRUE(queue.EmptyAll());
    EXPECT_EQ(stats.Get().sessionSitesFound, 0);
    EXPECT_TRUE(queue.ListEmpty());
    EXPECT_EQ(h.db().CountWebsites(), 0);
}

// The secure web queues a link as resolved, "http://" in its query included, and takes it out
// of the table by that same text; the classic crawl keeps cutting "http://" out.
TEST(WorkQueue, TheSecureWebQueuesALinkExactlyAsResolved) {
    EngineHarness h;
    RunView view;
    HarvestStats stats(h.settings);
    WorkQueue queue(view, h.db(), stats);
    const std::string link = "shop.example/go?next=http://other.example/";
    queue.QueueLink(link, true);
    queue.QueueLink(link, true);
    queue.QueueLink("shop.example/go?next=other.example/", true);
    EXPECT_EQ(stats.Get().sessionSitesFound, 2);
    EXPECT_EQ(queue.FirstQueued(), link);
    queue.Append(queue.FirstQueued(), true);
    EXPECT_EQ(view.List(ListId::List2).back(), link);
    EXPECT_EQ(queue.FirstQueued(), "shop.example/go?next=other.example/");

    queue.QueueLink("classic.example/go?next=http://other.example/", false);
    EXPECT_TRUE(queue.LoadBatch());
    EXPECT_EQ(view.List(ListId::List2), (std::vector<std::string>{"shop.example/go?next=other.example/",
                                                                  "classic.example/go?next=other.example/"}));
    EXPECT_EQ(h.db().CountWebsites(), 0);
}

} // namespace
} // namespace tarnwick::test
