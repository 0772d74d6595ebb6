// What the numbers window reads from the store: every field from a row on, and the change mark
// it polls.
#include "StoreTestSupport.h"
#include "store/Database.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarnwick {
namespace {

using test::RawDatabase;
using test::TempFolder;

class NumbersStore : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.EnsureExists()); }

    void AddFax(std::string fax, std::string search = "phrase") {
        db.AddFax(fax, "www.example.com/contact", search, "Illinois");
    }

    TempFolder folder;
    std::string path = folder.File("spider.mdb");
    Database db{path};
};

TEST_F(NumbersStore, DetailsHoldEveryFieldInInsertionOrderFromTheGivenRow) {
    AddFax("1-312-555-0100");
    AddFax("1-312-555-0101.", "");
    AddFax("1-312-555-0102");
    const auto all = db.FaxDetailsFrom(0);
    ASSERT_TRUE(all.has_value());
    ASSERT_EQ(all->size(), 3u);
    const FaxDetails& second = (*all)[1];
    EXPECT_EQ(second.fax, "1-312-555-0101");
    EXPECT_EQ(second.search, "Unknown");
    EXPECT_EQ(second.website, "www.example.com/contact");
    EXPECT_EQ(second.location, "Illinois");
    EXPECT_EQ(second.date.size(), 19u) << second.date;
    EXPECT_LT((*all)[0].row, second.row);
    EXPECT_LT(second.row, (*all)[2].row);

    const auto tail = db.FaxDetailsFrom(second.row);
    ASSERT_TRUE(tail.has_value());
    EXPECT_EQ(*tail, (std::vector<FaxDetails>{(*all)[1], (*all)[2]}));
    EXPECT_TRUE(db.FaxDetailsFrom((*all)[2].row + 1)->empty());
}

TEST_F(NumbersStore, NullFieldsReadAsEmptyTexts) {
    RawDatabase raw(path);
    ASSERT_TRUE(raw.Execute("INSERT INTO faxes (fax) VALUES ('1-312-555-0100')"));
    const auto all = db.FaxDetailsFrom(0);
    ASSERT_TRUE(all.has_value());
    ASSERT_EQ(all->size(), 1u);
    EXPECT_EQ(all->front().date, "");
    EXPECT_EQ(all->front().location, "");
}

TEST_F(NumbersStore, UnreadableStoreGivesNothingAndCreatesNoFile) {
    Database missing(folder.File("absent.mdb"));
    EXPECT_FALSE(missing.FaxDetailsFrom(0).has_value());
    EXPECT_FALSE(missing.ChangeMark().has_value());
    struct stat info {};
    EXPECT_NE(::stat(folder.File("absent.mdb").c_str(), &info), 0);

    // Dropped by another program after this connection read the schema: the walk fails part-way.
    ASSERT_TRUE(db.FaxRecords().has_value());
    RawDatabase raw(path);
    ASSERT_TRUE(raw.Execute("DROP TABLE faxes"));
    EXPECT_FALSE(db.FaxDetailsFrom(0).has_value());
    EXPECT_FALSE(db.FaxRecords().has_value());
}

TEST_F(NumbersStore, TheMarkMovesWithEveryWriteFromHereOrElsewhereAndOnlyThen) {
    const auto start = db.ChangeMark();
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(db.ChangeMark(), start);
    db.FaxDetailsFrom(0);
    db.CountFaxes();
    EXPECT_EQ(db.ChangeMark(), start) << "reads are no change";

    AddFax("1-312-555-0100");
    const auto afterOwnAdd = db.ChangeMark();
    EXPECT_NE(afterOwnAdd, start);

    {
        RawDatabase raw(path);
        ASSERT_TRUE(raw.Execute("DELETE FROM faxes"));
    }
    const auto afterOtherDelete = db.ChangeMark();
    EXPECT_NE(afterOtherDelete, afterOwnAdd);

    // The file replaced under the open connection: a new connection is a change as well.
    ASSERT_EQ(std::rename(path.c_str(), folder.File("old.mdb").c_str()), 0);
    ASSERT_TRUE(db.EnsureExists());
    EXPECT_NE(db.ChangeMark(), afterOtherDelete);
}

} // namespace
} // namespace tarnwick
