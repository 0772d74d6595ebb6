// Test helpers for the store: a temporary folder and direct access to the database file.
#pragma once

#include <sqlite3.h>
#include <string>
#include <vector>

namespace tarnwick::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder final {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A second connection to the database file, for arranging rows and checking what was stored.
class RawDatabase final {
public:
    explicit RawDatabase(const std::string& path);
    ~RawDatabase();
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    bool Execute(const std::string& sql);
    // The first column of every row, "<null>" for a NULL; empty when the statement fails.
    std::vector<std::string> Column(const std::string& sql);

private:
    sqlite3* db_ = nullptr;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);

} // namespace tarnwick::test
