// Test helpers for the store: a temporary folder and direct access to the database file.
#include "StoreTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tarnwick::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-store-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary folder";
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

RawDatabase::RawDatabase(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path;
    }
}

RawDatabase::~RawDatabase() {
    sqlite3_close(db_);
}

bool RawDatabase::Execute(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::vector<std::string> RawDatabase::Column(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    std::vector<std::string> values;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot prepare " << sql;
        return values;
    }
    int rc = sqlite3_step(stmt);
    for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
        const auto* text = sqlite3_column_text(stmt, 0);
        values.emplace_back(text == nullptr
                                ? "<null>"
                                : std::string(reinterpret_cast<const char*>(text),
                                              static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0))));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        ADD_FAILURE() << "cannot run " << sql;
        values.clear();
    }
    return values;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
}

} // namespace tarnwick::test
