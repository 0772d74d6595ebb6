// The failure rules: a missing, unreadable, replaced or locked file never makes an operation
// fail loudly, never loses what is stored and is never recreated by a record operation.
#include "StoreTestSupport.h"
#include "store/Database.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarnwick {
namespace {

using test::RawDatabase;
using test::ReadWholeFile;
using test::TempFolder;
using test::WriteWholeFile;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// Every operation against a store it cannot use: the adds of numbers and websites answer that
// nothing was stored, the other adds and the deletes answer true, the delete-all of the queue
// reports false, look-ups answer "present", counts are 0 and lists empty.
void ExpectFailureRules(Database& db) {
    std::string fax = "1-555-123-4567.";
    std::string search;
    EXPECT_FALSE(db.AddFax(fax, "www.example.com", search, "Ohio"));
    std::string website = " HTTP://www.new.com ";
    EXPECT_FALSE(db.AddWebsite(website));
    std::string phrase = " new phrase ";
    EXPECT_TRUE(db.AddSearch(phrase));
    EXPECT_EQ(phrase, "new phrase");

    std::string neverStored = "1-999-999-9999";
    EXPECT_TRUE(db.FaxExists(neverStored));
    std::string unknownSite = "www.never-queued.com";
    EXPECT_TRUE(db.WebsiteKnown(unknownSite, {}));

    EXPECT_EQ(db.CountFaxes(), 0);
    EXPECT_EQ(db.CountWebsites(), 0);
    EXPECT_TRUE(db.RecentFaxes().empty());
    EXPECT_TRUE(db.Searches().empty());
    EXPECT_TRUE(db.AllFaxes().empty());
    EXPECT_EQ(db.FirstQueuedWebsite(), "");
    EXPECT_TRUE(db.TakeWebsiteBatch().empty());

    std::string queued = "www.queued.com";
    EXPECT_TRUE(db.DeleteWebsite(queued));
    std::string stored = "stored phrase";
    EXPECT_TRUE(db.DeleteSearch(stored));
    EXPECT_TRUE(db.DeleteAllFaxes());
    EXPECT_FALSE(db.DeleteAllWebsites());
}

// One record of each kind.
void FillStore(Database& db) {
    ASSERT_TRUE(db.EnsureExists());
    std::string fax = "1-555-000-0001";
    std::string search = "stored phrase";
    db.AddFax(fax, "www.example.com", search, "Ohio");
    std::string website = "www.queued.com";
    db.AddWebsite(website);
    db.AddSearch(search);
}

void ExpectStoreUnchanged(const std::string& path) {
    Database fresh(path);
    EXPECT_EQ(fresh.AllFaxes(), (Strings{"1-555-000-0001"}));
    EXPECT_EQ(fresh.FirstQueuedWebsite(), "www.queued.com");
    EXPECT_EQ(fresh.CountWebsites(), 1);
    EXPECT_EQ(fresh.Searches(), (Strings{"stored phrase"}));
}

// A filled store whose connection is already open.
class FailureTest : public testing::Test {
protected:
    void SetUp() override {
        db.SetLockWait(0ms);
        FillStore(db);
    }

    TempFolder folder;
    std::string path = folder.File("spider.mdb");
    Database db{path};
};

TEST(DatabaseFailure, MissingFileIsNeverCreatedByRecordOperations) {
    TempFolder folder;
    const std::string path = folder.File("spider.mdb");
    Database db(path);
    ExpectFailureRules(db);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(FailureTest, FileDeletedWhileOpenIsNotRecreated) {
    ASSERT_EQ(std::remove(path.c_str()), 0);
    ExpectFailureRules(db);
    EXPECT_FALSE(std::filesystem::exists(path));

    // Start-up creates it again, empty, and the same object goes on with the new file.
    EXPECT_TRUE(db.EnsureExists());
    EXPECT_EQ(db.CountFaxes(), 0);
    std::string fax = "1-555-000-0002";
    std::string search = "s";
    db.AddFax(fax, "w", search, "l");
    EXPECT_EQ(db.AllFaxes(), (Strings{"1-555-000-0002"}));
}

TEST_F(FailureTest, ReplacedFileIsTheOneUsedFromThenOn) {
    const std::string other = folder.File("restored.mdb");
    {
        Database restored(other);
        ASSERT_TRUE(restored.EnsureExists());
        for (const char* number : {"1-555-111-0001", "1-555-111-0002"}) {
            std::string fax = number;
            std::string search = "s";
            restored.AddFax(fax, "w", search, "l");
        }
    }
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_EQ(db.AllFaxes(), (Strings{"1-555-111-0001", "1-555-111-0002"}));
    EXPECT_EQ(db.CountWebsites(), 0);
}

TEST_F(FailureTest, UnreadableFileIsLeftAsItIs) {
    struct Case {
        const char* name;
        void (*spoil)(const std::string& path);
    };
    const Case cases[] = {
        {"not a database",
         [](const std::string& p) {
             std::filesystem::remove(p);
             WriteWholeFile(p, std::string(8192, 'x'));
         }},
        {"empty file",
         [](const std::string& p) {
             std::filesystem::remove(p);
             WriteWholeFile(p, "");
         }},
        {"folder",
         [](const std::string& p) {
             std::filesystem::remove(p);
             std::filesystem::create_directory(p);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(path);
        std::filesystem::remove(path + "-wal");
        std::filesystem::remove(path + "-shm");
        c.spoil(path);
        const bool folder = std::filesystem::is_directory(path);
        const std::string before = folder ? "" : ReadWholeFile(path);
        ExpectFailureRules(db);
        EXPECT_FALSE(db.EnsureExists());
        EXPECT_FALSE(db.CanWrite());
        ASSERT_EQ(std::filesystem::is_directory(path), folder);
        if (!folder) {
            EXPECT_EQ(ReadWholeFile(path), before);
        }
    }
}

TEST(DatabaseFailure, ExclusivelyLockedFileChangesNothing) {
    TempFolder folder;
    const std::string path = folder.File("spider.mdb");
    {
        Database filler(path);
        FillStore(filler);
    }
    Database db(path);
    db.SetLockWait(0ms);
    {
        RawDatabase locker(path);
        ASSERT_TRUE(locker.Execute("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;"));
        ExpectFailureRules(db);
        ASSERT_TRUE(locker.Execute("COMMIT"));
    }
    ExpectStoreUnchanged(path);
    // Once the other program lets go, the same object works again.
    std::string fax = "1-555-000-0001";
    EXPECT_TRUE(db.FaxExists(fax));
    std::string other = "1-555-000-0002";
    EXPECT_FALSE(db.FaxExists(other));
}

// Another program writing holds the file's write lock; reading goes on meanwhile.
TEST_F(FailureTest, WriteLockedFileChangesNothingButStillAnswers) {
    RawDatabase locker(path);
    ASSERT_TRUE(locker.Execute("BEGIN IMMEDIATE"));

    std::string fax = "1-555-000-0002";
    std::string search = "s";
    EXPECT_FALSE(db.AddFax(fax, "w", search, "l"));
    std::string website = "www.other.com";
    EXPECT_FALSE(db.AddWebsite(website));
    std::string phrase = "other phrase";
    EXPECT_TRUE(db.AddSearch(phrase));
    std::string queued = "www.queued.com";
    EXPECT_TRUE(db.DeleteWebsite(queued));
    std::string stored = "stored phrase";
    EXPECT_TRUE(db.DeleteSearch(stored));
    EXPECT_TRUE(db.DeleteAllFaxes());
    EXPECT_FALSE(db.DeleteAllWebsites());
    EXPECT_TRUE(db.TakeWebsiteBatch().empty());

    std::string present = "1-555-000-0001";
    EXPECT_TRUE(db.FaxExists(present));
    // A number that could not be added now counts as present, so no caller counts it as stored.
    std::string absent = "1-555-000-0003";
    EXPECT_TRUE(db.FaxExists(absent));
    std::string unknownSite = "www.never-queued.com";
    EXPECT_TRUE(db.WebsiteKnown(unknownSite, {}));
    EXPECT_FALSE(db.AddFax(absent, "w", search, "l"));
    EXPECT_FALSE(db.AddWebsite(unknownSite));
    EXPECT_FALSE(db.CanWrite());
    EXPECT_EQ(db.CountFaxes(), 1);
    EXPECT_EQ(db.RecentFaxes(), (Strings{"1-555-000-0001 | Ohio"}));

    ASSERT_TRUE(locker.Execute("COMMIT"));
    ExpectStoreUnchanged(path);
    EXPECT_FALSE(db.FaxExists(absent));
    EXPECT_FALSE(db.WebsiteKnown(unknownSite, {}));
    EXPECT_TRUE(db.CanWrite());
}

// Sets or clears the immutable flag, which stops even root from writing; false where the file
// system does not have it.
bool SetImmutable(const std::string& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// A file SQLite can only open read-only answers from what it holds but never claims a new
// record as absent or stored.
TEST(DatabaseFailure, ReadOnlyFileNeverTakesOrPromisesARecord) {
    TempFolder folder;
    const std::string path = folder.File("spider.mdb");
    {
        Database filler(path);
        FillStore(filler);
    }
    if (!SetImmutable(path, true)) {
        GTEST_SKIP() << "the file system cannot make a file immutable here";
    }
    struct Release {
        std::string path;
        ~Release() { SetImmutable(path, false); }
    } release{path};

    Database db(path);
    EXPECT_FALSE(db.CanWrite());
    std::string stored = "1-555-000-0001";
    EXPECT_TRUE(db.FaxExists(stored));
    std::string fax = "1-555-000-0002";
    EXPECT_TRUE(db.FaxExists(fax));
    std::string search = "s";
    EXPECT_FALSE(db.AddFax(fax, "w", search, "l"));
    std::string website = "www.new.com";
    EXPECT_TRUE(db.WebsiteKnown(website, {}));
    EXPECT_FALSE(db.AddWebsite(website));
    EXPECT_FALSE(db.DeleteAllWebsites());
    EXPECT_EQ(db.CountFaxes(), 1);
    EXPECT_EQ(db.AllFaxes(), (Strings{"1-555-000-0001"}));
    EXPECT_EQ(db.FirstQueuedWebsite(), "www.queued.com");
}

// A file lacking one table or column keeps serving every operation that does not need it.
TEST(DatabaseFailure, MissingTableOrColumnDisablesOnlyWhatNeedsIt) {
    struct Case {
        const char* name;
        const char* spoil;
        bool faxesWork;
        bool websitesWork;
        bool searchesWork;
    };
    const Case cases[] = {
        {"faxes without location", "ALTER TABLE faxes DROP COLUMN location", false, true, true},
        {"no websites table", "DROP TABLE websites", true, false, true},
        {"no searches table", "DROP TABLE searches", true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.File("spider.mdb");
        ASSERT_TRUE(Database(path).EnsureExists());
        ASSERT_TRUE(RawDatabase(path).Execute(c.spoil));
        Database db(path);
        EXPECT_FALSE(db.EnsureExists());
        EXPECT_FALSE(db.CanWrite());

        std::string fax = "1-555-000-0002";
        EXPECT_EQ(db.FaxExists(fax), !c.faxesWork);
        std::string search = "s";
        EXPECT_EQ(db.AddFax(fax, "w", search, "l"), c.faxesWork);
        EXPECT_EQ(db.CountFaxes(), c.faxesWork ? 1 : 0);

        std::string website = "www.new.com";
        EXPECT_EQ(db.WebsiteKnown(website, {}), !c.websitesWork);
        EXPECT_EQ(db.AddWebsite(website), c.websitesWork);
        EXPECT_EQ(db.FirstQueuedWebsite(), c.websitesWork ? "www.new.com" : "");
        EXPECT_EQ(db.DeleteAllWebsites(), c.websitesWork);

        std::string phrase = "phrase";
        db.AddSearch(phrase);
        EXPECT_EQ(db.Searches(), c.searchesWork ? Strings{"phrase"} : Strings{});
    }
}

// Another program with the same file open keeps its write-ahead log whatever this store does,
// also while the file is renamed away and back.
TEST(DatabaseFailure, AnotherProgramsLogSurvivesEveryOperation) {
    TempFolder folder;
    const std::string path = folder.File("spider.mdb");
    {
        Database filler(path);
        FillStore(filler);
    }
    RawDatabase other(path);
    ASSERT_TRUE(
        other.Execute("PRAGMA wal_autocheckpoint=0; INSERT INTO faxes (fax) VALUES ('1-555-222-0001')"));
    ASSERT_GT(std::filesystem::file_size(path + "-wal"), 0U);

    Database db(path);
    const auto everyOperation = [&db] {
        db.CanWrite();
        std::string fax = "1-555-000-0009";
        std::string search = "s";
        db.FaxExists(fax);
        db.AddFax(fax, "w", search, "l");
        std::string website = "www.other.com";
        db.WebsiteKnown(website, {});
        db.AddWebsite(website);
        db.DeleteWebsite(website);
        db.CountFaxes();
        db.CountWebsites();
        db.RecentFaxes();
        db.Searches();
        db.AllFaxes();
        db.FirstQueuedWebsite();
    };
    EXPECT_TRUE(db.EnsureExists());
    everyOperation();
    const std::string away = folder.File("away.mdb");
    ASSERT_EQ(std::rename(path.c_str(), away.c_str()), 0);
    everyOperation();
    ASSERT_EQ(std::rename(away.c_str(), path.c_str()), 0);
    everyOperation();
    EXPECT_TRUE(db.EnsureExists());

    EXPECT_EQ(other.Column("SELECT count(*) FROM faxes WHERE fax = '1-555-222-0001'"), (Strings{"1"}));
    RawDatabase fresh(path);
    EXPECT_EQ(fresh.Column("SELECT count(*) FROM faxes WHERE fax = '1-555-222-0001'"), (Strings{"1"}));
    EXPECT_EQ(fresh.Column("PRAGMA integrity_check"), (Strings{"ok"}));
}

// A lock let go within the wait costs nothing: the record is stored once the lock is free.
TEST_F(FailureTest, ShortLockIsWaitedFor) {
    db.SetLockWait(10s);
    RawDatabase locker(path);
    ASSERT_TRUE(locker.Execute("BEGIN IMMEDIATE"));
    std::thread release([&locker] {
        std::this_thread::sleep_for(50ms);
        locker.Execute("COMMIT");
    });
    std::string fax = "1-555-000-0002";
    std::string search = "s";
    db.AddFax(fax, "w", search, "l");
    release.join();
    EXPECT_EQ(db.AllFaxes(), (Strings{"1-555-000-0001", "1-555-000-0002"}));
}

// Start-up on a path whose file another program has moved away while it still writes its log
// creates no database there: SQLite would replay that program's log into it.
TEST(DatabaseFailure, NoFileIsCreatedBesideALogAnotherProgramUses) {
    TempFolder folder;
    const std::string path = folder.File("spider.mdb");
    const std::string away = folder.File("away.mdb");
    ASSERT_TRUE(Database(path).EnsureExists());
    int ready[2];
    int done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        sqlite3* other = nullptr;
        sqlite3_open_v2(path.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr);
        const bool wrote = sqlite3_exec(other,
                                        "PRAGMA wal_autocheckpoint=0; INSERT INTO faxes (fax) VALUES "
                                        "('1-555-222-0001')",
                                        nullptr, nullptr, nullptr) == SQLITE_OK;
        const bool moved = wrote && std::rename(path.c_str(), away.c_str()) == 0;
        char signal = moved ? 'y' : 'n';
        (void)!::write(ready[1], &signal, 1);
        (void)!::read(done[0], &signal, 1);
        sqlite3_close(other);
        _exit(0);
    }
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    ASSERT_EQ(signal, 'y');
    const auto logSize = std::filesystem::file_size(path + "-wal");
    ASSERT_GT(logSize, 0U);

    Database db(path);
    EXPECT_FALSE(db.EnsureExists());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path + "-wal"), logSize);

    (void)!::write(done[1], &signal, 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(std::rename(away.c_str(), path.c_str()), 0);
    RawDatabase fresh(path);
    EXPECT_EQ(fresh.Column("SELECT count(*) FROM faxes WHERE fax = '1-555-222-0001'"), (Strings{"1"}));
    EXPECT_EQ(fresh.Column("PRAGMA integrity_check"), (Strings{"ok"}));
}

// A program killed while writing leaves its log behind; a file created afterwards must not
// receive that log's pages.
TEST(DatabaseFailure, RecreatedFileIgnoresTheLogOfTheDeletedOne) {
    TempFolder folder;
    const std::string path = folder.File("spider.mdb");
    ASSERT_TRUE(Database(path).EnsureExists());
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        Database writer(path);
        for (int i = 0; i < 200; ++i) {
            std::string website = "www.site" + std::to_string(i) + ".com";
            writer.AddWebsite(website);
        }
        std::raise(SIGKILL);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(std::filesystem::exists(path + "-wal"));
    ASSERT_GT(std::filesystem::file_size(path + "-wal"), 0U);
    ASSERT_EQ(std::remove(path.c_str()), 0);

    Database db(path);
    EXPECT_TRUE(db.EnsureExists());
    EXPECT_EQ(db.CountWebsites(), 0);
    RawDatabase raw(path);
    EXPECT_EQ(raw.Column("PRAGMA integrity_check"), (Strings{"ok"}));
}

} // namespace
} // namespace tarnwick
