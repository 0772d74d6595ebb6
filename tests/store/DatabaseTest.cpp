// The record operations on a real database file in a temporary folder.
#include "store/Database.h"

#include "StoreTestSupport.h"

#include <csignal>
#include <ctime>
#include <gtest/gtest.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick {
namespace {

using test::RawDatabase;
using test::TempFolder;
using Strings = std::vector<std::string>;

class DatabaseTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.EnsureExists()); }

    void AddFaxes(int count, const std::string& prefix = "1-555-000-") {
        for (int i = 0; i < count; ++i) {
            std::string fax = prefix + std::to_string(1000 + i);
            std::string search = "phrase";
            db.AddFax(fax, "www.example.com", search, "Region " + std::to_string(i));
        }
    }
    void AddWebsites(int count) {
        for (int i = 0; i < count; ++i) {
            std::string website = "site" + std::to_string(i) + ".com";
            db.AddWebsite(website);
        }
    }
    static Strings Numbered(const std::string& prefix, int from, int to, const std::string& suffix = "") {
        Strings lines;
        for (int i = from; i < to; ++i) {
            lines.push_back(prefix + std::to_string(i) + suffix);
        }
        return lines;
    }

    TempFolder folder;
    std::string path = folder.File("spider.mdb");
    Database db{path};
};

TEST_F(DatabaseTest, EnsureExistsWritesTheThreeTablesWithTheirFields) {
    RawDatabase raw(path);
    EXPECT_EQ(raw.Column("SELECT name FROM pragma_table_info('faxes')"),
              (Strings{"fax", "Date", "website", "search", "location"}));
    EXPECT_EQ(raw.Column("SELECT name FROM pragma_table_info('websites')"), (Strings{"website", "Date"}));
    EXPECT_EQ(raw.Column("SELECT name FROM pragma_table_info('searches')"), (Strings{"search"}));
    EXPECT_EQ(db.CountFaxes(), 0);
    EXPECT_EQ(db.CountWebsites(), 0);
}

TEST_F(DatabaseTest, EnsureExistsKeepsAnExistingFileAndItsRecords) {
    AddFaxes(3);
    Database again(path);
    EXPECT_TRUE(again.EnsureExists());
    EXPECT_EQ(again.CountFaxes(), 3);
    EXPECT_TRUE(db.EnsureExists());
    EXPECT_EQ(db.CountFaxes(), 3);
}

TEST_F(DatabaseTest, AddFaxCleansTheNumberAndNamesAnEmptySearchUnknown) {
    struct Case {
        std::string fax, search, storedFax, storedSearch;
    };
    const Case cases[] = {
        {"1-555-123-4567.", "fax machines", "1-555-123-4567", "fax machines"},
        {"  1-555-123-4568  ", "", "1-555-123-4568", "Unknown"},
        {"+442071234567.", " ", "+442071234567", " "},
    };
    for (const auto& c : cases) {
        std::string fax = c.fax;
        std::string search = c.search;
        EXPECT_TRUE(db.AddFax(fax, "www.example.com/contact", search, "Ohio"));
        EXPECT_EQ(fax, c.fax) << "the caller's text is left as it was";
    }
    RawDatabase raw(path);
    EXPECT_EQ(
        raw.Column(
            "SELECT fax || '|' || website || '|' || search || '|' || location FROM faxes ORDER BY rowid"),
        (Strings{"1-555-123-4567|www.example.com/contact|fax machines|Ohio",
                 "1-555-123-4568|www.example.com/contact|Unknown|Ohio",
                 "+442071234567|www.example.com/contact| |Ohio"}));
}

TEST_F(DatabaseTest, DatesAreLocalTimeToTheSecond) {
    const std::time_t before = std::time(nullptr);
    AddFaxes(1);
    AddWebsites(1);
    const std::time_t after = std::time(nullptr);
    RawDatabase raw(path);
    const Strings dates = {raw.Column("SELECT Date FROM faxes").at(0),
                           raw.Column("SELECT Date FROM websites").at(0)};
    for (const auto& date : dates) {
        std::tm parsed{};
        ASSERT_TRUE(std::regex_match(date, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << date;
        ASSERT_NE(strptime(date.c_str(), "%Y-%m-%d %H:%M:%S", &parsed), nullptr);
        parsed.tm_isdst = -1;
        const std::time_t stored = std::mktime(&parsed);
        EXPECT_GE(stored, before) << date;
        EXPECT_LE(stored, after) << date;
    }
}

TEST_F(DatabaseTest, AddWebsiteStoresTheCleanedAddress) {
    const std::pair<std::string, std::string> cases[] = {
        {"  HTTP://www.Example.com/Fax  ", "www.Example.com/Fax"},
        {"www.a.com/redirect?u=http://www.b.com", "www.a.com/redirect?u=www.b.com"},
    };
    for (const auto& [input, cleaned] : cases) {
        std::string website = input;
        EXPECT_TRUE(db.AddWebsite(website));
        EXPECT_EQ(website, input) << "the caller's text is left as it was";
        EXPECT_FALSE(db.WebsiteKnown(input, {}, WebsiteText::AsGiven)) << "only the cleaned text is stored";
        EXPECT_TRUE(db.WebsiteKnown(input, {}));
    }
    RawDatabase raw(path);
    EXPECT_EQ(raw.Column("SELECT website FROM websites ORDER BY rowid"),
              (Strings{"www.Example.com/Fax", "www.a.com/redirect?u=www.b.com"}));
}

TEST_F(DatabaseTest, AddAndDeleteSearchTrimThePhrase) {
    std::string phrase = "  fax services  ";
    EXPECT_TRUE(db.AddSearch(phrase));
    EXPECT_EQ(phrase, "fax services");
    EXPECT_EQ(db.Searches(), (Strings{"fax services"}));
    std::string again = " FAX Services ";
    EXPECT_TRUE(db.DeleteSearch(again));
    EXPECT_EQ(again, "FAX Services");
    EXPECT_TRUE(db.Searches().empty());
}

TEST_F(DatabaseTest, FaxExistsFindsTheCleanedNumberIgnoringCase) {
    std::string probe = "1-555-123-4567";
    EXPECT_FALSE(db.FaxExists(probe));
    std::string fax = "1-555-ABC-defg.";
    std::string search = "x";
    db.AddFax(fax, "w", search, "l");
    struct Case {
        std::string probe, cleaned;
        bool found;
    };
    const Case cases[] = {
        {"1-555-ABC-defg", "1-555-ABC-defg", true},   {"1-555-ABC-defg.", "1-555-ABC-defg", true},
        {" 1-555-abc-DEFG ", "1-555-abc-DEFG", true}, {"1-555-ABC-defh", "1-555-ABC-defh", false},
        {"1-555-ABC-def", "1-555-ABC-def", false},    {"", "", false},
    };
    for (const auto& c : cases) {
        std::string value = c.probe;
        EXPECT_EQ(db.FaxExists(value), c.found) << c.probe;
        EXPECT_EQ(value, c.cleaned);
    }
}

TEST_F(DatabaseTest, WebsiteKnownLooksInTheQueueIgnoringCaseAndInTheWorkListExactly) {
    std::string queued = "www.Queued.com/a";
    db.AddWebsite(queued);
    const Strings workList = {"www.working.com", "www.other.com/b"};
    struct Case {
        std::string probe, cleaned;
        bool known;
    };
    const Case cases[] = {
        {"www.Queued.com/a", "www.Queued.com/a", true},
        {"HTTP://WWW.QUEUED.COM/A ", "WWW.QUEUED.COM/A", true},
        {"www.working.com", "www.working.com", true},
        {"http://www.other.com/b", "www.other.com/b", true},
        {"www.Working.com", "www.Working.com", false},
        {"www.queued.com/ab", "www.queued.com/ab", false},
        {"www.unknown.com", "www.unknown.com", false},
    };
    for (const auto& c : cases) {
        std::string value = c.probe;
        EXPECT_EQ(db.WebsiteKnown(value, workList), c.known) << c.probe;
        EXPECT_EQ(db.WebsiteKnown(c.cleaned, workList, WebsiteText::AsGiven), c.known) << c.cleaned;
        EXPECT_EQ(value, c.probe) << "the caller's text is left as it was";
    }
}

TEST_F(DatabaseTest, DeletesRemoveOnlyTheFirstMatchInStoreOrder) {
    for (std::string website : {"www.dup.com", "www.other.com", "WWW.DUP.COM", "www.dup.com"}) {
        db.AddWebsite(website);
    }
    for (std::string phrase : {"fax", "Fax", "toner"}) {
        db.AddSearch(phrase);
    }
    std::string website = "http://www.dup.com";
    EXPECT_TRUE(db.DeleteWebsite(website));
    EXPECT_EQ(website, "http://www.dup.com") << "the caller's text is left as it was";
    std::string phrase = "FAX";
    EXPECT_TRUE(db.DeleteSearch(phrase));

    RawDatabase raw(path);
    EXPECT_EQ(raw.Column("SELECT website FROM websites ORDER BY rowid"),
              (Strings{"www.other.com", "WWW.DUP.COM", "www.dup.com"}));
    EXPECT_EQ(db.Searches(), (Strings{"Fax", "toner"}));

    std::string absent = "www.absent.com";
    EXPECT_TRUE(db.DeleteWebsite(absent));
    EXPECT_EQ(db.CountWebsites(), 3);
}

TEST_F(DatabaseTest, ValuesWithApostrophesAreStoredFoundAndDeleted) {
    std::string fax = "1-555-O'N-EILL";
    std::string search = "Joe's fax";
    db.AddFax(fax, "www.o'reilly.com", search, "Kings' County");
    std::string website = "www.o'reilly.com/it's";
    db.AddWebsite(website);
    std::string phrase = "'; DROP TABLE faxes; --";
    db.AddSearch(phrase);

    std::string faxProbe = "1-555-o'n-eill";
    EXPECT_TRUE(db.FaxExists(faxProbe));
    std::string otherFax = "1-555-O'N-EILT";
    EXPECT_FALSE(db.FaxExists(otherFax));
    std::string websiteProbe = "www.O'Reilly.com/it's";
    EXPECT_TRUE(db.WebsiteKnown(websiteProbe, {}));
    EXPECT_EQ(db.RecentFaxes(), (Strings{"1-555-O'N-EILL | Kings' County"}));
    EXPECT_EQ(db.Searches(), (Strings{"'; DROP TABLE faxes; --"}));

    EXPECT_TRUE(db.DeleteWebsite(website));
    EXPECT_EQ(db.CountWebsites(), 0);
    EXPECT_TRUE(db.DeleteSearch(phrase));
    EXPECT_TRUE(db.Searches().empty());
    EXPECT_EQ(db.CountFaxes(), 1);
}

// Text is single bytes; bytes above 127 are not valid UTF-8 and must come back unchanged.
TEST_F(DatabaseTest, SingleByteTextComesBackByteForByte) {
    const std::string phrases[] = {"caf\xE9 fax", "\x80\x9F\xFF", std::string("nul\0inside", 10)};
    for (const auto& original : phrases) {
        std::string phrase = original;
        db.AddSearch(phrase);
    }
    EXPECT_EQ(db.Searches(), (Strings(std::begin(phrases), std::end(phrases))));
    std::string fax = "1-555-000-0000";
    std::string search = "caf\xE9";
    db.AddFax(fax, "www.caf\xE9.com", search,
              "Qu\xE9"
              "bec");
    EXPECT_EQ(db.RecentFaxes(), (Strings{"1-555-000-0000 | Qu\xE9"
                                         "bec"}));
    std::string toDelete = "caf\xE9 fax";
    db.DeleteSearch(toDelete);
    EXPECT_EQ(db.Searches().size(), 2U);
}

TEST_F(DatabaseTest, TakeWebsiteBatchMovesTheNewestTwentyOldestFirst) {
    struct Case {
        int queued;
        Strings batch;
        Strings left;
    };
    const Case cases[] = {
        {0, {}, {}},
        {3, Numbered("site", 0, 3, ".com"), {}},
        {20, Numbered("site", 0, 20, ".com"), {}},
        {25, Numbered("site", 5, 25, ".com"), Numbered("site", 0, 5, ".com")},
        {30, Numbered("site", 10, 30, ".com"), Numbered("site", 0, 10, ".com")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queued);
        ASSERT_TRUE(db.DeleteAllWebsites());
        AddWebsites(c.queued);
        EXPECT_EQ(db.TakeWebsiteBatch(), c.batch);
        RawDatabase raw(path);
        EXPECT_EQ(raw.Column("SELECT website FROM websites ORDER BY rowid"), c.left);
        EXPECT_EQ(db.CountWebsites(), static_cast<std::int32_t>(c.left.size()));
    }
}

TEST_F(DatabaseTest, BatchAndRecentFaxesFollowTheDateThenTheInsertionOrder) {
    RawDatabase raw(path);
    ASSERT_TRUE(raw.Execute("INSERT INTO websites (website, Date) VALUES "
                            "('c.com', '2026-03-01 10:00:02'), ('a.com', '2026-03-01 10:00:00'), "
                            "('b1.com', '2026-03-01 10:00:01'), ('b2.com', '2026-03-01 10:00:01');"
                            "INSERT INTO faxes (fax, Date, location) VALUES "
                            "('3', '2026-03-02 09:00:00', 'z'), ('1', '2026-03-01 23:59:59', 'x'), "
                            "('2a', '2026-03-02 08:00:00', 'y'), ('2b', '2026-03-02 08:00:00', 'y');"));
    EXPECT_EQ(db.RecentFaxes(), (Strings{"1 | x", "2a | y", "2b | y", "3 | z"}));
    EXPECT_EQ(db.TakeWebsiteBatch(), (Strings{"a.com", "b1.com", "b2.com", "c.com"}));
}

TEST_F(DatabaseTest, BatchRemovesEntriesTheWayDeleteWebsiteDoes) {
    // Each batch entry is removed by its cleaned text, first match in store order, so an older
    // duplicate in another letter case goes instead of the entry itself.
    RawDatabase raw(path);
    ASSERT_TRUE(raw.Execute("INSERT INTO websites (website, Date) VALUES ('x.com', '2026-03-01 10:00:00')"));
    for (int i = 0; i < 19; ++i) {
        ASSERT_TRUE(raw.Execute("INSERT INTO websites (website, Date) VALUES ('n" + std::to_string(i) +
                                ".com', '2026-03-01 11:00:00')"));
    }
    ASSERT_TRUE(raw.Execute("INSERT INTO websites (website, Date) VALUES ('X.COM', '2026-03-01 12:00:00')"));
    Strings expected = Numbered("n", 0, 19, ".com");
    expected.push_back("X.COM");
    EXPECT_EQ(db.TakeWebsiteBatch(), expected);
    EXPECT_EQ(raw.Column("SELECT website FROM websites ORDER BY rowid"), (Strings{"X.COM"}));
}

TEST_F(DatabaseTest, RecentFaxesListsTheNewestTwentyOldestFirst) {
    struct Case {
        int stored;
        Strings lines;
    };
    Strings five;
    Strings lastTwenty;
    for (int i = 0; i < 25; ++i) {
        const std::string line = "1-555-000-" + std::to_string(1000 + i) + " | Region " + std::to_string(i);
        if (i < 5) {
            five.push_back(line);
        }
        if (i >= 5) {
            lastTwenty.push_back(line);
        }
    }
    const Case cases[] = {{0, {}}, {5, five}, {25, lastTwenty}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(db.DeleteAllFaxes());
        AddFaxes(c.stored);
        EXPECT_EQ(db.RecentFaxes(), c.lines);
        EXPECT_EQ(db.CountFaxes(), c.stored);
    }
}

TEST_F(DatabaseTest, ReadingSearchesTwiceListsEveryPhraseTwice) {
    for (std::string phrase : {"fax", "toner", "Fax"}) {
        db.AddSearch(phrase);
    }
    Strings shown = db.Searches();
    const Strings second = db.Searches();
    shown.insert(shown.end(), second.begin(), second.end());
    EXPECT_EQ(shown, (Strings{"fax", "toner", "Fax", "fax", "toner", "Fax"}));
}

TEST_F(DatabaseTest, FirstQueuedWebsiteIsTheOldestInsertedAndStaysQueued) {
    EXPECT_EQ(db.FirstQueuedWebsite(), "");
    RawDatabase raw(path);
    ASSERT_TRUE(raw.Execute("INSERT INTO websites (website, Date) VALUES "
                            "('first.com', '2026-03-01 12:00:00'), ('second.com', '2026-03-01 11:00:00')"));
    EXPECT_EQ(db.FirstQueuedWebsite(), "first.com");
    EXPECT_EQ(db.FirstQueuedWebsite(), "first.com");
    std::string taken = "first.com";
    db.DeleteWebsite(taken);
    EXPECT_EQ(db.FirstQueuedWebsite(), "second.com");
}

TEST_F(DatabaseTest, DeleteAllEmptiesOnlyItsOwnTable) {
    AddFaxes(4);
    AddWebsites(6);
    std::string phrase = "fax";
    db.AddSearch(phrase);
    EXPECT_TRUE(db.DeleteAllWebsites());
    EXPECT_EQ(db.CountWebsites(), 0);
    EXPECT_EQ(db.CountFaxes(), 4);
    EXPECT_TRUE(db.DeleteAllFaxes());
    EXPECT_EQ(db.CountFaxes(), 0);
    EXPECT_TRUE(db.AllFaxes().empty());
    EXPECT_EQ(db.Searches(), (Strings{"fax"}));
}

TEST_F(DatabaseTest, AllFaxesComeInInsertionOrder) {
    RawDatabase raw(path);
    ASSERT_TRUE(raw.Execute("INSERT INTO faxes (fax, Date) VALUES "
                            "('b', '2026-03-02 00:00:00'), ('a', '2026-03-01 00:00:00'), ('c', NULL)"));
    EXPECT_EQ(db.AllFaxes(), (Strings{"b", "a", "c"}));
}

// The writer is a child process killed right after its last operation returned; no connection
// is open in this process while it runs.
TEST(DatabaseDurability, RecordsSurviveAKilledProgram) {
    TempFolder folder;
    const std::string path = folder.File("spider.mdb");
    ASSERT_TRUE(Database(path).EnsureExists());
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        Database writer(path);
        for (int i = 0; i < 50; ++i) {
            std::string fax = "1-555-000-" + std::to_string(1000 + i);
            std::string search = "s";
            writer.AddFax(fax, "w", search, "l");
            std::string website = "site" + std::to_string(i) + ".com";
            writer.AddWebsite(website);
        }
        std::raise(SIGKILL);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    Database reader(path);
    EXPECT_EQ(reader.CountFaxes(), 50);
    EXPECT_EQ(reader.CountWebsites(), 50);
    Strings expected;
    for (int i = 0; i < 50; ++i) {
        expected.push_back("1-555-000-" + std::to_string(1000 + i));
    }
    EXPECT_EQ(reader.AllFaxes(), expected);
}

} // namespace
} // namespace tarnwick
