// A thin RAII layer over the SQLite C API.
#include "store/Sqlite.h"

namespace tarnwick::sqlite {

Statement::Statement(sqlite3* db, std::string_view sql) {
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt_,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Query::~Query() {
    if (stmt_ != nullptr) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
}

bool Query::Bind(int index, std::string_view text) {
    return stmt_ != nullptr && sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                                                 SQLITE_TRANSIENT) == SQLITE_OK;
}

bool Query::BindInteger(int index, std::int64_t value) {
    return stmt_ != nullptr && sqlite3_bind_int64(stmt_, index, value) == SQLITE_OK;
}

int Query::Step() {
    return stmt_ != nullptr ? sqlite3_step(stmt_) : SQLITE_MISUSE;
}

bool Query::RunToEnd() {
    int rc = Step();
    while (rc == SQLITE_ROW) {
        rc = Step();
    }
    return rc == SQLITE_DONE;
}

std::string Query::Text(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    if (text == nullptr) {
        return {};
    }
    return {reinterpret_cast<const char*>(text),
            static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))};
}

std::int64_t Query::Integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::unique_ptr<Connection> Connection::OpenExisting(const std::string& path,
                                                     std::chrono::milliseconds lockWait) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, static_cast<int>(lockWait.count()));
    return std::unique_ptr<Connection>(new Connection(db));
}

std::unique_ptr<Connection> Connection::Create(const std::string& path) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return std::unique_ptr<Connection>(new Connection(db));
}

Connection::~Connection() {
    statements_.clear();
    sqlite3_close(db_);
}

Query Connection::Prepare(const char* sql) {
    auto found = statements_.find(sql);
    if (found == statements_.end()) {
        auto statement = std::make_unique<Statement>(db_, sql);
        if (statement->Handle() == nullptr) {
            return Query(nullptr);
        }
        found = statements_.emplace(sql, std::move(statement)).first;
    }
    return Query(found->second->Handle());
}

bool Connection::ReadOnly() const {
    return sqlite3_db_readonly(db_, "main") != 0;
}

std::int64_t Connection::TotalChanges() const {
    return sqlite3_total_changes64(db_);
}

bool Connection::Compiles(const char* sql) {
    return Statement(db_, sql).Handle() != nullptr;
}

bool Connection::Execute(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace tarnwick::sqlite
