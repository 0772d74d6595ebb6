// What the crawl asks of the store: per link, WebsiteKnown against a 20-entry work list then
// AddWebsite; per number, FaxExists then AddFax. Each pair is one item; the tables start at the
// row count given as the argument.
#include "store/Database.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

// A database in a fresh temporary folder holding `rows` websites and `rows` faxes.
class FilledStore {
public:
    explicit FilledStore(int rows) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        folder_ = pattern;
        path_ = folder_ + "/spider.mdb";
        if (!tarnwick::Database(path_).EnsureExists()) {
            std::abort();
        }
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* website = nullptr;
        sqlite3_stmt* fax = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO websites (website, Date) VALUES (?1, '2026-01-01 00:00:00')", -1,
                           &website, nullptr);
        sqlite3_prepare_v2(db,
                           "INSERT INTO faxes (fax, Date, website, search, location) VALUES "
                           "(?1, '2026-01-01 00:00:00', 'www.example.com/contact', 'fax services', 'Ohio')",
                           -1, &fax, nullptr);
        for (int i = 0; i < rows; ++i) {
            const std::string site = "www.queued" + std::to_string(i) + ".com/contact.html";
            const std::string number = "1-" + std::to_string(100 + i % 900) + "-555-" + std::to_string(i);
            sqlite3_bind_text(website, 1, site.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(website);
            sqlite3_reset(website);
            sqlite3_bind_text(fax, 1, number.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(fax);
            sqlite3_reset(fax);
        }
        sqlite3_finalize(website);
        sqlite3_finalize(fax);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    ~FilledStore() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::string& Path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
};

void BM_LinkPair(benchmark::State& state) {
    FilledStore store(static_cast<int>(state.range(0)));
    tarnwick::Database db(store.Path());
    std::vector<std::string> workList;
    for (int i = 0; i < 20; ++i) {
        workList.push_back("www.working" + std::to_string(i) + ".com/");
    }
    long next = 0;
    for (auto _ : state) {
        std::string website = "http://www.found" + std::to_string(next++) + ".com/about/fax.html";
        if (!db.WebsiteKnown(website, workList)) {
            db.AddWebsite(website);
        }
    }
    if (db.CountWebsites() != state.range(0) + next) {
        state.SkipWithError("not every website was added");
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_NumberPair(benchmark::State& state) {
    FilledStore store(static_cast<int>(state.range(0)));
    tarnwick::Database db(store.Path());
    long next = 0;
    for (auto _ : state) {
        std::string fax = "1-800-" + std::to_string(1000000 + next++) + ".";
        std::string search = "fax services";
        if (!db.FaxExists(fax)) {
            db.AddFax(fax, "www.found.com/contact", search, "Toll Free");
        }
    }
    if (db.CountFaxes() != state.range(0) + next) {
        state.SkipWithError("not every fax was added");
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_LinkPair)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_NumberPair)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
