// The secure web's take and end of a harvest on the loopback fixture web: every queued website
// is fetched, and the harvest ends only when no download or page is left.
#include "EngineHarness.h"

#include <QSignalSpy>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

std::string FaxPage(const std::string& number) {
    return "<body><p>Fax: (212) 555-" + number + "</p>";
}

bool StoredNumber(EngineHarness& h, const std::string& number) {
    const std::vector<FaxRow> faxes = h.StoredFaxes();
    return std::any_of(faxes.begin(), faxes.end(), [&](const FaxRow& row) { return row.fax == number; });
}

TEST(EnginePolite, TheFirstWebsiteOfAFreshBatchIsFetched) {
    EngineHarness h(true);
    h.web.SetPage("first.example.com", "/", FaxPage("0101"));
    h.web.SetPage("second.example.com", "/", FaxPage("0102"));
    h.Phrases({"plumbers"});
    h.Queue({"first.example.com/", "second.example.com/"});
    QSignalSpy ended(&h.engine(), &HarvestEngine::harvestEnded);
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !ended.isEmpty(); }));

    EXPECT_TRUE(h.web.WasRequestedSecure("first.example.com", "/"));
    EXPECT_TRUE(h.web.WasRequestedSecure("second.example.com", "/"));
    EXPECT_TRUE(StoredNumber(h, "1-212-555-0101"));
    EXPECT_TRUE(StoredNumber(h, "1-212-555-0102"));
    EXPECT_EQ(h.engine().Stats().sessionSitesScanned, 2);
}

// A slot that finds the queue empty while a slow download is still running waits for it: its
// page, and the website it links to, are read before the harvest ends or moves on.
struct EndCase {
    const char* name;
    std::vector<std::string> phrases;
    int listBuilderLoads; // after the harvest ended
};

class EnginePoliteEnd : public testing::TestWithParam<EndCase> {};

TEST_P(EnginePoliteEnd, TheHarvestWaitsForTheLastDownload) {
    const EndCase& c = GetParam();
    EngineHarness h(true);
    h.web.SetPage("fast.example.com", "/", FaxPage("0201"));
    h.web.SetPage("slow.example.com", "/", FaxPage("0202") + "<a href=\"/next\">next</a>");
    h.web.SetPage("slow.example.com", "/next", FaxPage("0203"));
    h.web.SetHostility("slow.example.com", Hostility::Drip);
    h.web.SetDripInterval(std::chrono::milliseconds(2));
    h.Phrases(c.phrases);
    h.Queue({"fast.example.com/", "slow.example.com/"});
    QSignalSpy ended(&h.engine(), &HarvestEngine::harvestEnded);
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(EngineHarness::WaitFor([&] { return !ended.isEmpty(); }, 20000));

    EXPECT_TRUE(StoredNumber(h, "1-212-555-0201"));
    EXPECT_TRUE(StoredNumber(h, "1-212-555-0202"));
    EXPECT_TRUE(StoredNumber(h, "1-212-555-0203"));
    EXPECT_EQ(ended.size(), 1);
    EXPECT_EQ(h.launcher.loads, c.listBuilderLoads);
}

INSTANTIATE_TEST_SUITE_P(Cases, EnginePoliteEnd,
                         testing::Values(EndCase{"LastPhraseEnds", {"plumbers"}, 0},
                                         EndCase{"NextPhraseFollows", {"plumbers", "roofers"}, 1}),
                         [](const testing::TestParamInfo<EndCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace tarnwick::test
