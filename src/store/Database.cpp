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
constexpr const char* kTablesReadable =
    "SELECT (SELECT count(*) FROM (SELECT fax, Date, website, search, location "
    "FROM faxes LIMIT 0)) + (SELECT count(*) FROM (SELECT website, Date FROM "
    "websites LIMIT 0)) + (SELECT count(*) FROM (SELECT search FROM searches "
    "LIMIT 0))";

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

std::int32_t ToCount(std::optional<std::int64_t> count) {
    if (!count || *count < 0) {
        return 0;
    }
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(*count, std::numeric_limits<std::int32_t>::max()));
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
    // A log left behind by a deleted file would otherwise be replayed into the new one.
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
        // Nothing is written to a file that does not hold the tables, not even the journal mode.
        if (!connection || !Scalar(*connection, kTablesReadable)) {
            return nullptr;
        }
        struct stat after {};
        if (::stat(path_.c_str(), &after) != 0 || after.st_dev != before.st_dev ||
            after.st_ino != before.st_ino) {
            return nullptr;
        }
        // The write-ahead log keeps a committed record through a crash of the program at the cost
        // of one write per commit instead of a flush; a file that cannot switch keeps its journal.
        connection->Execute("PRAGMA journal_mode=WAL");
        connection->Execute("PRAGMA synchronous=NORMAL");
        connection_ = std::move(connection);
        fileDevice_ = device;
        fileInode_ = inode;
    }
    return connection_.get();
}

void Database::Drop() {
    connection_.reset();
}

// The file was deleted or replaced under the open connection. SQLite leaves the log of a moved
// file behind on close; it belongs to the old file and would be replayed into the new one.
void Database::Forget() {
    if (!connection_) {
        return;
    }
    connection_.reset();
    std::remove((path_ + "-wal").c_str());
    std::remove((path_ + "-shm").c_str());
}

bool Database::EnsureExists() {
    struct stat existing {};
    if (::lstat(path_.c_str(), &existing) != 0 && errno == ENOENT) {
        Forget();
        CreateDatabaseFile(path_);
    }
    return Open() != nullptr;
}

bool Database::AddFax(std::string& fax, const std::string& website, std::string& search,
                      const std::string& location) {
    fax = CleanFax(fax);
    if (search.empty()) {
        search = "Unknown";
    }
    auto* connection = Open();
    if (connection != nullptr && !Run(*connection, kInsertFax, {fax, Now(), website, search, location})) {
        Drop();
    }
    return true;
}

bool Database::AddWebsite(std::string& website) {
    website = CleanWebsite(website);
    auto* connection = Open();
    if (connection != nullptr && !Run(*connection, kInsertWebsite, {website, Now()})) {
        Drop();
    }
    return true;
}

bool Database::AddSearch(std::string& search) {
    search = TrimSpaces(search);
    auto* connection = Open();
    if (connection != nullptr && !Run(*connection, kInsertSearch, {search})) {
        Drop();
    }
    return true;
}

bool Database::DeleteAllFaxes() {
    auto* connection = Open();
    if (connection != nullptr && !Run(*connection, kDeleteAllFaxes, {})) {
        Drop();
    }
    return true;
}

bool Database::DeleteWebsite(std::string& website) {
    website = CleanWebsite(website);
    auto* connection = Open();
    if (connection != nullptr && !Run(*connection, kDeleteWebsite, {website})) {
        Drop();
    }
    return true;
}

bool Database::DeleteAllWebsites() {
    auto* connection = Open();
    if (connection == nullptr) {
        return false;
    }
    if (!Run(*connection, kDeleteAllWebsites, {})) {
        Drop();
        return false;
    }
    return true;
}

bool Database::DeleteSearch(std::string& search) {
    search = TrimSpaces(search);
    auto* connection = Open();
    if (connection != nullptr && !Run(*connection, kDeleteSearch, {search})) {
        Drop();
    }
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
    return *found;
}

bool Database::WebsiteKnown(std::string& website, const std::vector<std::string>& workList) {
    website = CleanWebsite(website);
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
    return *found || std::find(workList.begin(), workList.end(), website) != workList.end();
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
            // Each entry goes the way DeleteWebsite takes it: cleaned, first match only.
            if (!Run(*connection, kDeleteWebsite, {CleanWebsite(entry)})) {
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

} // namespace tarnwick
