// The numbers table model and its filter: columns, sort, search, region counts, and store
// changes picked up without disturbing a view's sort and selection.
#include "ui/NumbersModel.h"

#include "UiTestSupport.h"
#include "store/Database.h"

#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tarnwick::test {
namespace {

// Rows written by a second connection, as another program (or another Tarnwick) would.
void Execute(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class NumbersModelTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(database.EnsureExists());
        Insert("1-312-555-0100", "2026-03-02 10:00:00", "www.chicago-law.example/contact", "lawyers",
               "Illinois");
        Insert("1-212-555-0101", "2026-03-01 09:00:00", "Dentists.example", "Dentists NYC", "New York");
        Insert("1-217-555-0102", "2026-03-03 08:00:00", "springfield.example", "caf\xE9 owners", "Illinois");
        Insert("+44-20-7946-0958", "2026-02-28 23:59:59", "london.example", "lawyers",
               "Unknown/International");
        ASSERT_TRUE(model.Refresh());
    }

    void Insert(const std::string& fax, const std::string& date, const std::string& website,
                const std::string& search, const std::string& location) {
        Execute(path, "INSERT INTO faxes (fax, Date, website, search, location) VALUES ('" + fax + "', '" +
                          date + "', '" + website + "', '" + search + "', '" + location + "')");
    }

    QStringList Shown(int column = NumbersModel::Number) const {
        QStringList texts;
        for (int row = 0; row < filter.rowCount(); ++row) {
            texts << filter.index(row, column).data().toString();
        }
        return texts;
    }

    QTemporaryDir dir;
    std::string path = dir.path().toStdString() + "/spider.mdb";
    Database database{path};
    NumbersModel model{database};
    NumbersFilter filter{model};
};

TEST_F(NumbersModelTest, ColumnsShowEachFieldWithTheDateAloneAndTheCodePageAsUnicode) {
    ASSERT_EQ(model.columnCount(), 5);
    const QStringList titles = Texts({"Number", "Region", "Website", "Search", "Found"});
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), titles[column]);
    }
    ASSERT_EQ(model.rowCount(), 4);
    const QStringList third =
        Texts({"1-217-555-0102", "Illinois", "springfield.example", "café owners", "2026-03-03"});
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(model.index(2, column).data().toString(), third[column]) << column;
    }
}

TEST_F(NumbersModelTest, SortsEveryColumnBothWaysWithEqualTextsInStoreOrder) {
    struct Case {
        int column;
        Qt::SortOrder order;
        std::vector<const char*> numbers;
    };
    const Case cases[] = {
        {NumbersModel::Number,
         Qt::AscendingOrder,
         {"+44-20-7946-0958", "1-212-555-0101", "1-217-555-0102", "1-312-555-0100"}},
        {NumbersModel::Region,
         Qt::AscendingOrder,
         {"1-312-555-0100", "1-217-555-0102", "1-212-555-0101", "+44-20-7946-0958"}},
        {NumbersModel::Website,
         Qt::AscendingOrder,
         {"1-212-555-0101", "+44-20-7946-0958", "1-217-555-0102", "1-312-555-0100"}},
        {NumbersModel::Search,
         Qt::AscendingOrder,
         {"1-217-555-0102", "1-212-555-0101", "1-312-555-0100", "+44-20-7946-0958"}},
        {NumbersModel::Found,
         Qt::AscendingOrder,
         {"+44-20-7946-0958", "1-212-555-0101", "1-312-555-0100", "1-217-555-0102"}},
        {NumbersModel::Found,
         Qt::DescendingOrder,
         {"1-217-555-0102", "1-312-555-0100", "1-212-555-0101", "+44-20-7946-0958"}},
    };
    for (const auto& c : cases) {
        filter.sort(c.column, c.order);
        EXPECT_EQ(Shown(), Texts(c.numbers)) << "column " << c.column;
    }
}

TEST_F(NumbersModelTest, SearchMatchesAnyShownColumnIgnoringLetterCase) {
    struct Case {
        const char* text;
        std::vector<const char*> numbers;
    };
    filter.sort(NumbersModel::Number, Qt::AscendingOrder);
    const Case cases[] = {
        {"", {"+44-20-7946-0958", "1-212-555-0101", "1-217-555-0102", "1-312-555-0100"}},
        {"LAWYERS", {"+44-20-7946-0958", "1-312-555-0100"}},
        {"dentists", {"1-212-555-0101"}},
        {"illinois", {"1-217-555-0102", "1-312-555-0100"}},
        {"555-0101", {"1-212-555-0101"}},
        {"2026-03-0", {"1-212-555-0101", "1-217-555-0102", "1-312-555-0100"}},
        {"CAFÉ", {"1-217-555-0102"}},
        {"/contact", {"1-312-555-0100"}},
        {"09:00", {}},       // the time is not shown, so not searched
        {"lawyers2026", {}}, // no match across two columns
        {"律师", {}},        // nothing stored can hold it
    };
    for (const auto& c : cases) {
        filter.SetSearch(QString::fromUtf8(c.text));
        EXPECT_EQ(Shown(), Texts(c.numbers)) << c.text;
    }
}

TEST_F(NumbersModelTest, RegionsAreCountedListedByNameAndFilter) {
    std::vector<std::pair<std::string, int>> regions;
    for (const int region : model.RegionsByName()) {
        regions.emplace_back(model.RegionName(region).toStdString(), model.RegionTotal(region));
    }
    EXPECT_EQ(regions, (std::vector<std::pair<std::string, int>>{
                           {"Illinois", 2}, {"New York", 1}, {"Unknown/International", 1}}));

    filter.sort(NumbersModel::Number, Qt::AscendingOrder);
    filter.SetRegion(model.RegionsByName()[0]);
    EXPECT_EQ(Shown(), Texts({"1-217-555-0102", "1-312-555-0100"}));
    filter.SetSearch(QStringLiteral("lawyers"));
    EXPECT_EQ(Shown(), Texts({"1-312-555-0100"}));
    filter.SetRegion(-1);
    EXPECT_EQ(Shown(), Texts({"+44-20-7946-0958", "1-312-555-0100"}));
}

TEST_F(NumbersModelTest, StoreChangesArePickedUpWithoutLosingSortOrSelection) {
    filter.sort(NumbersModel::Found, Qt::DescendingOrder);
    QItemSelectionModel selection(&filter);
    const auto select = [&](const char* number) {
        const int row = int(Shown().indexOf(QString::fromUtf8(number)));
        selection.select(filter.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    select("1-212-555-0101");
    select("+44-20-7946-0958");
    const auto selected = [&] {
        QStringList numbers;
        for (const QModelIndex& index : selection.selectedRows()) {
            numbers << index.data().toString();
        }
        numbers.sort();
        return numbers;
    };
    int resets = 0;
    QObject::connect(&filter, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(&filter, &QAbstractItemModel::layoutChanged, [&] { ++resets; });

    // Added by another program, and through the same store object as the harvest does.
    Insert("1-415-555-0103", "2026-03-02 12:00:00", "sf.example", "lawyers", "California");
    std::string fax = "1-503-555-0104";
    std::string search = "lawyers";
    database.AddFax(fax, "portland.example", search, "Oregon");
    ASSERT_TRUE(model.Refresh());
    EXPECT_EQ(Shown(), Texts({"1-503-555-0104", "1-217-555-0102", "1-415-555-0103", "1-312-555-0100",
                              "1-212-555-0101", "+44-20-7946-0958"}));
    EXPECT_EQ(selected(), Texts({"+44-20-7946-0958", "1-212-555-0101"}));

    // Deleted elsewhere, and the newest record replaced under the same row id.
    Execute(path, "DELETE FROM faxes WHERE fax = '1-312-555-0100'");
    Execute(path, "DELETE FROM faxes WHERE rowid = (SELECT max(rowid) FROM faxes)");
    Insert("1-503-555-0199", "2026-03-04 00:00:00", "portland.example", "lawyers", "Oregon");
    ASSERT_TRUE(model.Refresh());
    EXPECT_EQ(Shown(), Texts({"1-503-555-0199", "1-217-555-0102", "1-415-555-0103", "1-212-555-0101",
                              "+44-20-7946-0958"}));
    EXPECT_EQ(selected(), Texts({"+44-20-7946-0958", "1-212-555-0101"}));
    EXPECT_EQ(resets, 0);

    // Nothing changed: nothing is read again.
    int inserted = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    ASSERT_TRUE(model.Refresh());
    EXPECT_EQ(inserted, 0);
}

TEST_F(NumbersModelTest, DeletingARowRemovesExactlyThatRecordAndItsCount) {
    const int illinois = model.RegionsByName()[0];
    ASSERT_TRUE(model.DeleteRow(0));
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(database.CountFaxes(), 3);
    EXPECT_EQ(model.RegionTotal(illinois), 1);
    const auto left = database.FaxDetailsFrom(0);
    ASSERT_TRUE(left.has_value());
    for (const FaxDetails& record : *left) {
        EXPECT_NE(record.fax, "1-312-555-0100");
    }
    ASSERT_TRUE(model.Refresh());
    EXPECT_EQ(model.rowCount(), 3);
}

TEST(NumbersModelStore, AStoreThatCannotBeReadGivesNoRowsAndNoFile) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/spider.mdb";
    Database database(path);
    NumbersModel model(database);
    EXPECT_FALSE(model.Refresh());
    EXPECT_FALSE(model.Readable());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

} // namespace
} // namespace tarnwick::test
