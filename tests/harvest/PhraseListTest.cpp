// The list handlers the engine owns: adding and deleting phrases and deleting all numbers,
// with their messages, confirmations and the Next button kept in step.
#include "EngineHarness.h"

#include <gtest/gtest.h>
#include <ostream>

namespace tarnwick::test {
namespace {

enum class Setup { Idle, ResumeOffered, Harvesting };

struct DeleteCase {
    const char* name;
    std::vector<std::string> phrases;
    Setup setup;
    int selected;
    bool answerOk;
    std::vector<std::string> listAfter;
    std::string message; // a plain message box, or empty
    bool asksConfirmation;
    bool queueEmptied; // the websites table and the work list
};

void PrintTo(const DeleteCase& c, std::ostream* os) {
    *os << c.name;
}

class EngineDeletePhrase : public testing::TestWithParam<DeleteCase> {};

TEST_P(EngineDeletePhrase, FollowsTheSelectionAndTheRunState) {
    const DeleteCase& c = GetParam();
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::Silent);
    h.Phrases(c.phrases);
    h.Queue({"hold.example/a", "hold.example/b", "hold.example/c"});
    if (c.setup == Setup::ResumeOffered) {
        h.engine().LoadWebsiteBatch();
        h.Queue({"hold.example/d"});
        h.engine().cmdStop_Click(); // offers Resume: a website is left in the table
        ASSERT_TRUE(h.engine().IsEnabled(Button::cmdResume));
    } else if (c.setup == Setup::Harvesting) {
        // Enough behind the batch that the table does not run dry while the slots start.
        for (int i = 0; i < 40; ++i) {
            h.Queue({"hold.example/q" + std::to_string(i)});
        }
        h.engine().cmdDoSearch_Click();
        ASSERT_TRUE(h.engine().harvesting());
    }
    h.prompts.answerOk = c.answerOk;
    const std::size_t workListBefore = h.engine().List(ListId::List2).size();
    const std::int32_t queuedBefore = h.db().CountWebsites();

    h.engine().cmbDel_Click(c.selected);

    EXPECT_EQ(h.engine().List(ListId::List1), c.listAfter);
    EXPECT_EQ(h.StoredSearches(), c.listAfter);
    if (c.message.empty()) {
        EXPECT_TRUE(h.prompts.messages.empty());
    } else {
        ASSERT_EQ(h.prompts.messages.size(), 1u);
        EXPECT_EQ(h.prompts.messages[0].first, c.message);
    }
    if (c.asksConfirmation) {
        ASSERT_EQ(h.prompts.confirmations.size(), 1u);
        EXPECT_EQ(h.prompts.confirmations[0].first,
                  "You will not be able to resume the current search if it is deleted.\r\n\r\nContinue?");
        EXPECT_EQ(h.prompts.confirmations[0].second, "Confirm Delete");
        EXPECT_EQ(h.engine().IsEnabled(Button::cmdResume), !c.answerOk);
    } else {
        EXPECT_TRUE(h.prompts.confirmations.empty());
    }
    if (c.queueEmptied) {
        EXPECT_EQ(h.db().CountWebsites(), 0);
        EXPECT_TRUE(h.engine().List(ListId::List2).empty());
    } else {
        EXPECT_EQ(h.db().CountWebsites(), queuedBefore);
        EXPECT_EQ(h.engine().List(ListId::List2).size(), workListBefore);
    }
    EXPECT_EQ(h.engine().IsEnabled(Button::cmdNextSearch), h.engine().harvesting() && c.listAfter.size() > 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineDeletePhrase,
    testing::Values(
        DeleteCase{"NothingSelectedEmptyList", {}, Setup::Idle, -1, true, {}, "", false, false},
        DeleteCase{"NothingSelected",
                   {"a", "b"},
                   Setup::Idle,
                   -1,
                   true,
                   {"a", "b"},
                   "You must select a search to delete.",
                   false,
                   false},
        DeleteCase{"LaterPhrase", {"a", "b", "c"}, Setup::Idle, 1, true, {"a", "c"}, "", false, false},
        DeleteCase{"LaterPhraseWhileHarvesting",
                   {"a", "b", "c"},
                   Setup::Harvesting,
                   2,
                   true,
                   {"a", "b"},
                   "",
                   false,
                   false},
        DeleteCase{"CurrentWhileHarvesting",
                   {"a", "b"},
                   Setup::Harvesting,
                   0,
                   true,
                   {"a", "b"},
                   "You cannot delete the current search while the spider is harvesting faxes.",
                   false,
                   false},
        DeleteCase{"CurrentWithResumeOk", {"a", "b"}, Setup::ResumeOffered, 0, true, {"b"}, "", true, true},
        DeleteCase{"CurrentWithResumeCancel",
                   {"a", "b"},
                   Setup::ResumeOffered,
                   0,
                   false,
                   {"a", "b"},
                   "",
                   true,
                   false},
        DeleteCase{"CurrentWithoutResume", {"a", "b"}, Setup::Idle, 0, true, {"b"}, "", false, false}),
    [](const testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

TEST(EngineLists, AddAppendsAsTypedStoresTrimmedAndKeepsNextInStep) {
    EngineHarness h;
    h.web.SetHostility("hold.example", Hostility::Silent);
    h.engine().cmdAdd_Click("  plumbers ");
    EXPECT_EQ(h.engine().List(ListId::List1), std::vector<std::string>{"  plumbers "});
    EXPECT_EQ(h.StoredSearches(), std::vector<std::string>{"plumbers"});
    EXPECT_FALSE(h.engine().IsEnabled(Button::cmdNextSearch));

    h.engine().options().cmbLastSearch = 1;
    h.Queue({"hold.example/a", "hold.example/b"});
    h.engine().cmdDoSearch_Click();
    ASSERT_TRUE(h.engine().harvesting());
    EXPECT_FALSE(h.engine().IsEnabled(Button::cmdNextSearch));
    h.engine().cmdAdd_Click("");
    EXPECT_TRUE(h.engine().IsEnabled(Button::cmdNextSearch));
    EXPECT_EQ(h.engine().List(ListId::List1).size(), 2u);
}

TEST(EngineLists, DeleteAllNumbersAsksFirst) {
    for (const bool ok : {false, true}) {
        EngineHarness h;
        std::string fax = "1-212-555-0100";
        std::string search = "plumbers";
        h.db().AddFax(fax, "a.example/", search, "NY");
        h.engine().ShowRecentFaxes();
        ASSERT_EQ(h.engine().List(ListId::List3), std::vector<std::string>{"1-212-555-0100 | NY"});
        h.prompts.answerOk = ok;

        h.engine().Command3_Click();
        ASSERT_EQ(h.prompts.confirmations.size(), 1u);
        EXPECT_EQ(h.prompts.confirmations[0].first,
                  "Are you sure you want to delete all faxes from the database?");
        EXPECT_EQ(h.prompts.confirmations[0].second, "Confirm");
        EXPECT_EQ(h.StoredFaxes().size(), ok ? 0u : 1u);
        EXPECT_EQ(h.engine().List(ListId::List3).empty(), ok);
        if (ok) {
            ASSERT_EQ(h.prompts.messages.size(), 1u);
            EXPECT_EQ(h.prompts.messages[0].first, "All faxes have been deleted.");
        } else {
            EXPECT_TRUE(h.prompts.messages.empty());
        }
    }
}

} // namespace
} // namespace tarnwick::test
