// A thin RAII layer over the SQLite C API: one connection, its prepared statements and the
// short-lived use of a statement that resets it when done.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace tarnwick::sqlite {

// One prepared statement, finalized on destruction.
class Statement final {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* Handle() const { return stmt_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// A borrowed statement for one run: binds, steps and reads, then resets it on destruction so no
// read transaction stays open between operations.
class Query final {
public:
    explicit Query(sqlite3_stmt* stmt)
        : stmt_(stmt) {}
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool Bind(int index, std::string_view text);
    bool BindInteger(int index, std::int64_t value);
    int Step(); // SQLITE_ROW, SQLITE_DONE or an error code
    bool RunToEnd();
    std::string Text(int column) const;
    std::int64_t Integer(int column) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// One open database file. Statements are prepared once and kept while the connection lives,
// keyed by the address of their text, which is always a constant.
class Connection final {
public:
    // Opens an existing file only (never creates it); nullptr on failure.
    static std::unique_ptr<Connection> OpenExisting(const std::string& path,
                                                    std::chrono::milliseconds lockWait);
    // Opens or creates a file, for writing a new database.
    static std::unique_ptr<Connection> Create(const std::string& path);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Query Prepare(const char* sql);
    bool Execute(const char* sql);     // runs a statement text without parameters, possibly several
    bool ReadOnly() const;             // SQLite opened the file read-only, for instance for lack of rights
    std::int64_t TotalChanges() const; // rows written through this connection so far
    // Whether the statement compiles against the schema as it is now; nothing is kept.
    bool Compiles(const char* sql);

private:
    explicit Connection(sqlite3* db)
        : db_(db) {}

    sqlite3* db_ = nullptr;
    std::map<const char*, std::unique_ptr<Statement>> statements_;
};

} // namespace tarnwick::sqlite
