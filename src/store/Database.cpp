// The record operations on spider.mdb. One connection lives as long as the object, but every
// operation first checks that the file at the path is still the one it has open, so a deleted
// or replaced file is noticed and never recreated behind the user's back.
#include "store/Database.h"

#include "store/Cleaning.h"
#include "store/SchemaText.h"
#include "store/Sqlite.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick {

namespace {

constexpr const char* kInsertFax =
    "INSERT INTO faxes (fax, Date, website, search, location) VALUES (?1, ?2, ?3, ?4, ?5)";
constexpr const char* kInsertWebsite = "INSERT INTO websites (website, Date) VALUES (?1, ?2)";
constexpr const char* kInsertSearch = "INSERT INTO searches (search) VALUES (?1)";
constexpr const char* kDeleteAllFaxes = "DELETE FROM faxes";
constexpr const char* kDeleteAllWebsites = "DELETE FROM websites";
// A delete removes only the first match in store order; further duplicates stay.
constexpr const char* kDeleteWebsite =
    "DELETE FROM websites WHERE rowid = "
    "(SELECT rowid FROM websites WHERE website = ?1 ORDER BY rowid LIMIT 1)";
constexpr const char* kDeleteBatchEntry =
    "DELETE FROM websites WHERE rowid = COALESCE("
    "(SELECT rowid FROM websites WHERE website = ?1 ORDER BY rowid LIMIT 1), "
    "(SELECT rowid FROM websites WHERE website = ?2 ORDER BY rowid LIMIT 1))";
constexpr const char* kDeleteSearch = "DELETE FROM searches WHERE rowid = "
                                      "(SELECT rowid FROM searches WHERE search = ?1 ORDER BY rowid LIMIT 1)";
constexpr const char* kCountFaxes = "SELECT count(*) FROM faxes";
constexpr const char* kCountWebsites = "SELECT count(*) FROM websites";
constexpr const char* kFindFax = "SELECT 1 FROM faxes WHERE fax = ?1 LIMIT 1";
constexpr const char* kFindWebsite = "SELECT 1 FROM websites WHERE website = ?1 LIMIT 1";
// The newest 20 by date, handed out oldest first; equal dates keep insertion order.
constexpr const char* kRecentFaxes =
    "SELECT fax, location FROM (SELECT rowid AS id, fax, location, Date FROM faxes "
    "ORDER BY Date DESC, rowid DESC LIMIT 20) ORDER BY Date, id";
constexpr const char* kNewestWebsites =
    "SELECT website FROM (SELECT rowid AS id, website, Date FROM websites "
    "ORDER BY Date DESC, rowid DESC LIMIT 20) ORDER BY Date, id";
constexpr const char* kSearches = "SELECT search FROM searches ORDER BY rowid";
constexpr const char* kFirstWebsite = "SELECT website FROM websites ORDER BY rowid LIMIT 1";
constexpr const char* kAllFaxes = "SELECT fax FROM faxes ORDER BY rowid";
constexpr const char* kFaxRecords = "SELECT rowid, fax FROM faxes ORDER BY rowid";
constexpr const char* kFaxDetailsFrom =
    "SELECT rowid, fax, Date, website, search, location FROM faxes WHERE rowid >= ?1 ORDER BY rowid";
constexpr const char* kDataVersion = "PRAGMA data_version";
constexpr const char* kDeleteFaxRecord = "DELETE FROM faxes WHERE rowid = ?1 AND fax = ?2";
constexpr const char* kTablesReadable =
    "SELECT (SELECT count(*) FROM (SELECT fax, Date, website, search, location "
    "FROM faxes LIMIT 0)) + (SELECT count(*) FROM (SELECT website, Date FROM "
    "websites LIMIT 0)) + (SELECT count(*) FROM (SELECT search FROM searches "
    "LIMIT 0))";
constexpr const char* kIsDatabase = "SELECT count(*) FROM sqlite_master";

std::string Stored(std::string_view website, WebsiteText text) {
    return text == WebsiteText::Cleaned ? CleanWebsite(std::string(website)) : std::string(website);
}

// Local time to the second, so text order is time order.
std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

bool Run(sqlite::Connection& connection, const char* sql, std::initializer_list<std::string_view> values) {
    auto query = connection.Prepare(sql);
    int index = 1;
    for (const auto value : values) {
        if (!query.Bind(index++, value)) {
            return false;
        }
    }
    return query.RunToEnd();
}

// Whether the statement yields a row; nothing when it could not run.
std::optional<bool> AnyRow(sqlite::Connection& connection, const char* sql, std::string_view value) {
    auto query = connection.Prepare(sql);
    if (!query.Bind(1, value)) {
        return std::nullopt;
    }
    const int rc = query.Step();
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    return std::nullopt;
}

std::optional<std::int64_t> Scalar(sqlite::Connection& connection, const char* sql) {
    auto query = connection.Prepare(sql);
    if (query.Step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return query.Integer(0);
}

// Every row's columns joined by the separator; nothing when the walk failed part-way.
std::optional<std::vector<std::string>> Lines(sqlite::Connection& connection, const char* sql, int columns,
                                              std::string_view separator) {
    auto query = connection.Prepare(sql);
    std::vector<std::string> lines;
    int rc = query.Step();
    for (; rc == SQLITE_ROW; rc = query.Step()) {
        std::string line = query.Text(0);
        for (int column = 1; column < columns; ++column) {
            line += separator;
            line += query.Text(column);
        }
        lines.push_back(std::move(line));
    }
    if (rc != SQLITE_DONE) {
        return std::nullopt;
    }
    return lines;
}

// Every row the statement yields, made by the reader; nothing when the walk failed part-way. The
// statement is reset on return, before a caller may drop the connection that holds it.
template <typename Row, typename Reader>
std::optional<std::vector<Row>> ReadRows(sqlite::Connection& connection, const char* sql,
                                         std::int64_t firstRow, Reader read) {
    auto query = connection.Prepare(sql);
    // A statement without parameters ignores the bind.
    query.BindInteger(1, firstRow);
    std::vector<Row> rows;
    int rc = query.Step();
    for (; rc == SQLITE_ROW; rc = query.Step()) {
        rows.push_back(read(query));
    }
    if (rc != SQLITE_DONE) {
        return std::nullopt;
    }
    return rows;
}

// Whether records could be added now: the file is writable, every statement's table and columns
// exist and the write lock is had within the lock wait.
// A kept statement does not notice a column dropped by another program until it runs, so the
// inserts are compiled afresh inside the write transaction, after a read has loaded the schema.
bool CanAdd(sqlite::Connection& connection, std::initializer_list<const char*> inserts) {
    if (connection.ReadOnly() || !connection.Execute("BEGIN IMMEDIATE")) {
        return false;
    }
    bool compiles = Scalar(connection, kIsDatabase).has_value();
    for (const char* sql : inserts) {
        compiles = compiles && connection.Compiles(sql);
    }
    connection.Execute("ROLLBACK");
    return compiles;
}

std::int32_t ToCount(std::optional<std::int64_t> count) {
    if (!count || *count < 0) {
        return 0;
    }
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(*count, std::numeric_limits<std::int32_t>::max()));
}

// Whether some other process has the log of the database at this path open: SQLite holds a lock
// on the shared-memory file for as long as a connection uses the log. Only asked while this
// process has no connection to the path, because closing the probe drops this process's locks.
bool LogInUse(const std::string& path) {
    const int fd = ::open((path + "-shm").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool inUse = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return inUse;
}

// Builds the new file beside the target and links it into place, so the path never shows a
// half-written database and an existing file is never replaced.
bool CreateDatabaseFile(const std::string& path) {
    const std::string temporary = path + ".new-" + std::to_string(::getpid());
    std::remove(temporary.c_str());
    bool written = false;
    if (auto connection = sqlite::Connection::Create(temporary)) {
        written = connection->Execute(kSchemaSql);
    }
    if (!written) {
        std::remove(temporary.c_str());
        return false;
    }
    // A log left behind by a deleted file would otherwise be replayed into the new one. A log
    // another program still uses belongs to its file, moved away meanwhile: it is kept, and no
    // database is placed beside it.
    if (LogInUse(path)) {
        std::remove(temporary.c_str());
        return false;
    }
    std::remove((path + "-wal").c_str());
    std::remove((path + "-shm").c_str());
    bool placed = ::link(temporary.c_str(), path.c_str()) == 0;
    if (!placed && errno != EEXIST) {
        placed = std::rename(temporary.c_str(), path.c_str()) == 0;
    }
    std::remove(temporary.c_str());
    return placed;
}

} // namespace

Database::Database(std::string path)
    : path_(std::move(path)) {}

Database::~Database() = default;

void Database::SetLockWait(std::chrono::milliseconds wait) {
    lockWait_ = wait;
    Drop();
}

sqlite::Connection* Database::Open() {
    struct stat before {};
    if (::stat(path_.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) {
        Forget();
        return nullptr;
    }
    const auto device = static_cast<std::uint64_t>(before.st_dev);
    const auto inode = static_cast<std::uint64_t>(before.st_ino);
    if (connection_ && (device != fileDevice_ || inode != fileInode_)) {
        Forget();
    }
    if (!connection_) {
        auto connection = sqlite::Connection::OpenExisting(path_, lockWait_);
        // A file lacking a table or column still serves the operations that do not need it.
        if (!connection || !Scalar(*connection, kIsDatabase)) {
            return nullptr;
        }
        struct stat after {};
        if (::stat(path_.c_str(), &after) != 0 || after.st_dev != before.st_dev ||
            after.st_ino != before.st_ino) {
            return nullptr;
        }
        // The write-ahead log keeps a committed record through a crash of the program at the cost
        // of one write per commit instead of a flush; a file that cannot switch keeps its journal.
        // Nothing is written to a file that does not hold the tables, not even the journal mode.
        if (Scalar(*connection, kTablesReadable)) {
            connection->Execute("PRAGMA journal_mode=WAL");
            connection->Execute("PRAGMA synchronous=NORMAL");
        }
        connection_ = std::move(connection);
        ++connections_;
        fileDevice_ = device;
        fileInode_ = inode;
    }
    return connection_.get();
}

void Database::Drop() {
    connection_.reset();
}

// The file was deleted or replaced under the open connection. SQLite neither checkpoints nor
// removes the log of a moved file on close, and a log left at the path would be replayed into
// whatever file comes there next; so the log is emptied into the old file first. The files
// themselves are left to SQLite: another program may have the old file open and still need them.
void Database::Forget() {
    if (connection_) {
        connection_->Execute("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    connection_.reset();
}

bool Database::EnsureExists() {
    struct stat existing {};
    if (::lstat(path_.c_str(), &existing) != 0 && errno == ENOENT) {
        Forget();
        CreateDatabaseFile(path_);
    }
    auto* connection = Open();
    return connection != nullptr && Scalar(*connection, kTablesReadable).has_value();
}

bool Database::CanWrite() {
    auto* connection = Open();
    return connection != nullptr && CanAdd(*connection, {kInsertFax, kInsertWebsite, kInsertSearch});
}

bool Database::AddFax(std::string_view fax, std::string_view website, std::string_view search,
                      std::string_view location) {
    const std::string cleaned = CleanFax(std::string(fax));
    return RunOrDrop(kInsertFax, {cleaned, Now(), website,
                                  search.empty() ? std::string_view("Unknown") : search, location});
}

bool Database::AddWebsite(std::string_view website, WebsiteText text) {
    return RunOrDrop(kInsertWebsite, {Stored(website, text), Now()});
}

bool Database::RunOrDrop(const char* sql, std::initializer_list<std::string_view> values) {
    auto* connection = Open();
    if (connection == nullptr) {
        return false;
    }
    if (!Run(*connection, sql, values)) {
        Drop();
        return false;
    }
    return true;
}

bool Database::AddSearch(std::string& search) {
    search = TrimSpaces(search);
    RunOrDrop(kInsertSearch, {search});
    return true;
}

bool Database::DeleteAllFaxes() {
    RunOrDrop(kDeleteAllFaxes, {});
    return true;
}

bool Database::DeleteWebsite(std::string_view website, WebsiteText text) {
    RunOrDrop(kDeleteWebsite, {Stored(website, text)});
    return true;
}

bool Database::DeleteAllWebsites() {
    return RunOrDrop(kDeleteAllWebsites, {});
}

bool Database::DeleteSearch(std::string& search) {
    search = TrimSpaces(search);
    RunOrDrop(kDeleteSearch, {search});
    return true;
}

std::int32_t Database::CountFaxes() {
    auto* connection = Open();
    if (connection == nullptr) {
        return 0;
    }
    const auto count = Scalar(*connection, kCountFaxes);
    if (!count) {
        Drop();
    }
    return ToCount(count);
}

std::int32_t Database::CountWebsites() {
    auto* connection = Open();
    if (connection == nullptr) {
        return 0;
    }
    const auto count = Scalar(*connection, kCountWebsites);
    if (!count) {
        Drop();
    }
    return ToCount(count);
}

bool Database::FaxExists(std::string& fax) {
    fax = CleanFax(fax);
    auto* connection = Open();
    if (connection == nullptr) {
        return true;
    }
    const auto found = AnyRow(*connection, kFindFax, fax);
    if (!found) {
        Drop();
        return true;
    }
    // A number that could not be added now counts as present, so no caller counts what it never stored.
    return *found || !CanAdd(*connection, {kInsertFax});
}

bool Database::WebsiteKnown(std::string_view asked, const std::vector<std::string>& workList,
                            WebsiteText text) {
    const std::string website = Stored(asked, text);
    auto* connection = Open();
    if (connection == nullptr) {
        return true;
    }
    const auto found = AnyRow(*connection, kFindWebsite, website);
    if (!found) {
        Drop();
        return true;
    }
    // The work list is compared exactly, letter case included.
    return *found || std::find(workList.begin(), workList.end(), website) != workList.end() ||
           !CanAdd(*connection, {kInsertWebsite});
}

std::vector<std::string> Database::RecentFaxes() {
    auto* connection = Open();
    if (connection == nullptr) {
        return {};
    }
    auto lines = Lines(*connection, kRecentFaxes, 2, " | ");
    if (!lines) {
        Drop();
        return {};
    }
    return std::move(*lines);
}

std::vector<std::string> Database::TakeWebsiteBatch() {
    auto* connection = Open();
    if (connection == nullptr) {
        return {};
    }
    // One write transaction: either the whole batch leaves the queue or none of it does, so a
    // website is never both handed out and still queued.
    if (!connection->Execute("BEGIN IMMEDIATE")) {
        Drop();
        return {};
    }
    auto batch = Lines(*connection, kNewestWebsites, 1, {});
    bool ok = batch.has_value();
    if (ok) {
        for (const auto& entry : *batch) {
            // Each entry goes the way DeleteWebsite takes it: cleaned, first match only; an entry
            // stored as given, which cleaning would change, goes by its own text.
            if (!Run(*connection, kDeleteBatchEntry, {CleanWebsite(entry), entry})) {
                ok = false;
                break;
            }
        }
    }
    if (ok && connection->Execute("COMMIT")) {
        return std::move(*batch);
    }
    connection->Execute("ROLLBACK");
    Drop();
    return {};
}

std::vector<std::string> Database::Searches() {
    auto* connection = Open();
    if (connection == nullptr) {
        return {};
    }
    auto lines = Lines(*connection, kSearches, 1, {});
    if (!lines) {
        Drop();
        return {};
    }
    return std::move(*lines);
}

std::string Database::FirstQueuedWebsite() {
    auto* connection = Open();
    if (connection == nullptr) {
        return {};
    }
    const auto first = Lines(*connection, kFirstWebsite, 1, {});
    if (!first) {
        Drop();
        return {};
    }
    return first->empty() ? std::string() : first->front();
}

std::vector<std::string> Database::AllFaxes() {
    auto* connection = Open();
    if (connection == nullptr) {
        return {};
    }
    auto lines = Lines(*connection, kAllFaxes, 1, {});
    if (!lines) {
        Drop();
        return {};
    }
    return std::move(*lines);
}

std::optional<std::vector<FaxRecord>> Database::FaxRecords() {
    auto* connection = Open();
    if (connection == nullptr) {
        return std::nullopt;
    }
    auto records = ReadRows<FaxRecord>(*connection, kFaxRecords, 0, [](const sqlite::Query& query) {
        return FaxRecord{query.Integer(0), query.Text(1)};
    });
    if (!records) {
        Drop();
    }
    return records;
}

bool Database::DeleteFaxRecords(const std::vector<FaxRecord>& records) {
    auto* connection = Open();
    if (connection == nullptr || !connection->Execute("BEGIN IMMEDIATE")) {
        Drop();
        return false;
    }
    bool ok = true;
    for (const FaxRecord& record : records) {
        auto query = connection->Prepare(kDeleteFaxRecord);
        if (!query.BindInteger(1, record.row) || !query.Bind(2, record.fax) || !query.RunToEnd()) {
            ok = false;
            break;
        }
    }
    if (ok && connection->Execute("COMMIT")) {
        return true;
    }
    connection->Execute("ROLLBACK");
    Drop();
    return false;
}

std::optional<std::vector<FaxDetails>> Database::FaxDetailsFrom(std::int64_t firstRow) {
    auto* connection = Open();
    if (connection == nullptr) {
        return std::nullopt;
    }
    auto records =
        ReadRows<FaxDetails>(*connection, kFaxDetailsFrom, firstRow, [](const sqlite::Query& query) {
            return FaxDetails{query.Integer(0), query.Text(1), query.Text(2),
                              query.Text(3),    query.Text(4), query.Text(5)};
        });
    if (!records) {
        Drop();
    }
    return records;
}

// The data version moves with every commit of another connection, the change count with every
// row this connection writes; a new connection starts both afresh, so it counts as a change too.
std::optional<StoreChangeMark> Database::ChangeMark() {
    auto* connection = Open();
    if (connection == nullptr) {
        return std::nullopt;
    }
    const auto otherWrites = Scalar(*connection, kDataVersion);
    if (!otherWrites) {
        Drop();
        return std::nullopt;
    }
    return StoreChangeMark{connections_, *otherWrites, connection->TotalChanges()};
}

} // namespace tarnwick
