// The export file format for each separator, the replacing write and the file helpers.
#include "store/Export.h"

#include "StoreTestSupport.h"
#include "store/Database.h"
#include "store/Files.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using test::ReadWholeFile;
using test::TempFolder;
using test::WriteWholeFile;

const std::vector<std::string> kThreeFaxes = {"1-555-111-2222", "1-555-333-4444", "+442071234567"};

void StoreThreeFaxes(Database& db) {
    ASSERT_TRUE(db.EnsureExists());
    for (const auto& number : kThreeFaxes) {
        std::string fax = number;
        std::string search = "s";
        ASSERT_TRUE(db.AddFax(fax, "w", search, "l"));
    }
}

TEST(ExportText, EachFaxIsFollowedByTheSeparatorThenOneLineEnd) {
    struct Case {
        int outputType;
        bool space;
        std::string expected;
    };
    const Case cases[] = {
        {-1, false, "1-555-111-2222;1-555-333-4444;+442071234567;\r\n"},
        {-1, true, "1-555-111-2222; 1-555-333-4444; +442071234567; \r\n"},
        {0, false, "1-555-111-2222;1-555-333-4444;+442071234567;\r\n"},
        {0, true, "1-555-111-2222; 1-555-333-4444; +442071234567; \r\n"},
        {1, false, "1-555-111-2222\t1-555-333-4444\t+442071234567\t\r\n"},
        {1, true, "1-555-111-2222\t1-555-333-4444\t+442071234567\t\r\n"},
        {2, false, "1-555-111-2222\r\n1-555-333-4444\r\n+442071234567\r\n\r\n"},
        {2, true, "1-555-111-2222\r\n1-555-333-4444\r\n+442071234567\r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.outputType << " space " << c.space);
        EXPECT_EQ(ExportText(kThreeFaxes, c.outputType, c.space), c.expected);
    }
}

TEST(ExportText, NoFaxesGiveOnlyTheLineEnd) {
    for (int outputType = -1; outputType <= 2; ++outputType) {
        EXPECT_EQ(ExportText({}, outputType, true), "\r\n");
    }
}

TEST(ExportFile, ReplacesAnExistingFileInsteadOfAppending) {
    TempFolder folder;
    const std::string file = folder.File("export.txt");
    WriteWholeFile(file, std::string(500, 'o') + "\r\n");
    EXPECT_TRUE(WriteExportFile(file, "a;\r\n"));
    EXPECT_EQ(ReadWholeFile(file), "a;\r\n");
    EXPECT_TRUE(WriteExportFile(file, "b;\r\n"));
    EXPECT_EQ(ReadWholeFile(file), "b;\r\n");
}

TEST(ExportFile, ReportsAFileThatCouldNotBeWritten) {
    TempFolder folder;
    const std::string inFolder = folder.File("taken");
    std::filesystem::create_directory(inFolder);
    EXPECT_FALSE(WriteExportFile(inFolder, "a;\r\n"));
    EXPECT_TRUE(std::filesystem::is_directory(inFolder));
    EXPECT_FALSE(WriteExportFile(folder.File("missing/export.txt"), "a;\r\n"));
}

TEST(ExportFile, WritesTheStoredFaxesInStoreOrder) {
    TempFolder folder;
    Database db(folder.File("spider.mdb"));
    StoreThreeFaxes(db);
    const std::string file = folder.File("export.txt");
    EXPECT_TRUE(ExportFaxes(db, file, 2, false));
    EXPECT_EQ(ReadWholeFile(file), "1-555-111-2222\r\n1-555-333-4444\r\n+442071234567\r\n\r\n");
    EXPECT_EQ(db.CountFaxes(), 3);
}

// Numbers that could not be read are never passed off as an empty export.
TEST(ExportFile, UnreadableStoreWritesNoFileAndReportsIt) {
    TempFolder folder;
    Database missing(folder.File("spider.mdb"));
    const std::string file = folder.File("export.txt");
    EXPECT_FALSE(ExportFaxes(missing, file, 0, false));
    EXPECT_FALSE(ExportFaxRecords(missing, file, 0, false).has_value());
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(ExportFile, EmptyStoreGivesOnlyTheLineEnd) {
    TempFolder folder;
    Database db(folder.File("spider.mdb"));
    ASSERT_TRUE(db.EnsureExists());
    const std::string file = folder.File("export.txt");
    const auto records = ExportFaxRecords(db, file, 0, false);
    ASSERT_TRUE(records.has_value());
    EXPECT_TRUE(records->empty());
    EXPECT_EQ(ReadWholeFile(file), "\r\n");
}

// Deleting what was exported spares a number stored after the export read the table.
TEST(ExportFile, DeletingTheExportedRecordsKeepsANumberStoredSince) {
    TempFolder folder;
    Database db(folder.File("spider.mdb"));
    StoreThreeFaxes(db);
    const auto records = ExportFaxRecords(db, folder.File("export.txt"), 2, false);
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), 3U);
    std::string late = "1-555-999-0000";
    std::string search = "s";
    db.AddFax(late, "w", search, "l");
    EXPECT_TRUE(db.DeleteFaxRecords(*records));
    EXPECT_EQ(db.AllFaxes(), (std::vector<std::string>{"1-555-999-0000"}));
    // Deleting the same records again finds nothing more to delete.
    EXPECT_TRUE(db.DeleteFaxRecords(*records));
    EXPECT_EQ(db.CountFaxes(), 1);
}

TEST(FileNameOf, TakesTheTextAfterTheLastSeparator) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"export.txt", "export.txt"},
        {"C:\\Program Files\\Tarnwick\\Help.rtf", "Help.rtf"},
        {"/home/user/export.txt", "export.txt"},
        {"folder\\", ""},
        {"folder/", ""},
        {"a/b\\c.txt", "c.txt"},
        {"a\\b/c.txt", "c.txt"},
        {"\\", ""},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(FileNameOf(path), name) << path;
    }
}

TEST(FileExists, TrueOnlyForAnExistingRegularFile) {
    TempFolder folder;
    const std::string file = folder.File("Help.rtf");
    WriteWholeFile(file, "{\\rtf1}");
    const std::string dir = folder.File("Help");
    std::filesystem::create_directory(dir);
    const std::string link = folder.File("link.rtf");
    std::filesystem::create_symlink(file, link);
    const std::pair<std::string, bool> cases[] = {
        {file, true},        {link, true}, {dir, false}, {folder.File("missing.rtf"), false},
        {file + "/", false}, {"", false},
    };
    for (const auto& [path, exists] : cases) {
        EXPECT_EQ(FileExists(path), exists) << path;
    }
}

} // namespace
} // namespace tarnwick
