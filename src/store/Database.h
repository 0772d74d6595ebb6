// The data store: the fax numbers, the website queue and the search phrases in "spider.mdb",
// one self-contained call per record operation.
#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

namespace sqlite {
class Connection;
}

// Failures never escape: on a missing, unreadable or locked file the adds and deletes change
// nothing and return true, the look-ups answer "present", lists come back empty and counts are 0.
// A look-up also answers "present" when the matching add could not be made now (read-only file,
// write lock not had within the lock wait, missing table or column). A file lacking a table or
// column disables only the operations that need it.
// The file is never created by a record operation, only by EnsureExists.
// How a website text is stored and looked up: cleaned of "http://" and its truncated forms (the
// queue of the classic crawl), or exactly as given (the secure web's resolved links, whose query
// may itself hold "http://").
enum class WebsiteText { Cleaned, AsGiven };

// One stored number with the row that holds it, so exactly that record can be deleted later.
struct FaxRecord {
    std::int64_t row = 0;
    std::string fax;
};

// One stored number with every field, as the store holds them (Windows-1252 text).
struct FaxDetails {
    std::int64_t row = 0;
    std::string fax;
    std::string date; // "YYYY-MM-DD HH:MM:SS"
    std::string website;
    std::string search;
    std::string location;

    bool operator==(const FaxDetails&) const = default;
};

// Changes whenever a record of any table may have been added or deleted, by this object or by
// another program; compared, never read as a number.
struct StoreChangeMark {
    std::uint64_t connection = 0;
    std::int64_t otherWrites = 0;
    std::int64_t ownWrites = 0;

    bool operator==(const StoreChangeMark&) const = default;
};

class Database final {
public:
    explicit Database(std::string path); // path of spider.mdb
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool
    EnsureExists(); // creates the file with the schema only when it is absent; true when the file is usable
    // Stores the number (cleaned) with its website, its search ("Unknown" when empty) and its
    // location; true when it was stored.
    bool AddFax(std::string_view fax, std::string_view website, std::string_view search,
                std::string_view location);
    // Queues the website; true when it was stored.
    bool AddWebsite(std::string_view website, WebsiteText text = WebsiteText::Cleaned);
    // Whether every kind of record could be added now; false for a file that is not a database.
    bool CanWrite();
    bool AddSearch(std::string& search);
    bool DeleteAllFaxes();
    bool DeleteWebsite(std::string_view website, WebsiteText text = WebsiteText::Cleaned);
    bool DeleteAllWebsites(); // false when the statement could not run
    bool DeleteSearch(std::string& search);
    std::int32_t CountFaxes();
    std::int32_t CountWebsites();
    bool FaxExists(std::string& fax);
    bool WebsiteKnown(std::string_view website, const std::vector<std::string>& workList,
                      WebsiteText text = WebsiteText::Cleaned);
    std::vector<std::string> RecentFaxes();      // "fax | location" of the 20 newest, oldest first
    std::vector<std::string> TakeWebsiteBatch(); // the up-to-20 newest websites, oldest first, removed
    std::vector<std::string> Searches();         // in store order
    std::string FirstQueuedWebsite();            // the oldest queued website, not removed; "" when none
    std::vector<std::string> AllFaxes();         // every fax in insertion order
    // Every fax with its row in insertion order; nothing when the table could not be read.
    std::optional<std::vector<FaxRecord>> FaxRecords();
    // Deletes exactly these records, all or none; a record stored since they were read stays.
    bool DeleteFaxRecords(const std::vector<FaxRecord>& records);
    // Every fax with all its fields from the given row on, in insertion order; nothing when the
    // table could not be read.
    std::optional<std::vector<FaxDetails>> FaxDetailsFrom(std::int64_t firstRow);
    // Cheap enough to ask every second: no table is read. Nothing when the file cannot be opened.
    std::optional<StoreChangeMark> ChangeMark();

    // How long an operation waits for a lock held by another program before it gives up; 50 ms
    // unless set, kept short because the operations run on the user-interface thread.
    void SetLockWait(std::chrono::milliseconds wait);

private:
    sqlite::Connection* Open();
    bool RunOrDrop(const char* sql, std::initializer_list<std::string_view> values);
    void Drop();
    void Forget();

    std::string path_;
    std::chrono::milliseconds lockWait_{50};
    std::unique_ptr<sqlite::Connection> connection_;
    std::uint64_t fileDevice_ = 0;
    std::uint64_t fileInode_ = 0;
    std::uint64_t connections_ = 0;
};

} // namespace tarnwick
