// The numbers window over a generated store of 100,000 numbers: the time to open it (read, sort,
// show), to answer a keystroke in the search box (narrowing and widening), to poll the store with
// and without new numbers, and the memory the open window holds.
#include "store/Database.h"
#include "ui/NumbersWindow.h"

#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

namespace tarnwick {
namespace {

constexpr int kNumbers = 100'000;

struct Quiet final : SettingsStore {
    std::string Read(const std::string&, const std::string& fallback) override { return fallback; }
    void Write(const std::string&, const std::string&) override {}
};

void Insert(sqlite3* db, int count, int first) {
    static const char* const kRegions[] = {"Illinois", "New York", "California", "Texas",
                                           "Ohio",     "Florida",  "Oregon",     "Unknown/International",
                                           "Quebec",   "Georgia"};
    static const char* const kPhrases[] = {"dentists fax",        "law firms",          "caf\xE9 suppliers",
                                           "roofing contractors", "veterinary clinics", "print shops"};
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO faxes (fax, Date, website, search, location) VALUES (?1, ?2, ?3, ?4, ?5)",
                       -1, &insert, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = first; i < first + count; ++i) {
        char fax[32];
        std::snprintf(fax, sizeof fax, "1-%03d-555-%04d", 200 + i % 800, i % 10'000);
        char date[32];
        std::snprintf(date, sizeof date, "2026-%02d-%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28, i % 24,
                      i % 60, (i / 60) % 60);
        const std::string website =
            "www.business" + std::to_string(i * 7919 % 100'003) + ".example.com/contact";
        sqlite3_bind_text(insert, 1, fax, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, website.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, kPhrases[i % 6], -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 5, kRegions[i % 10], -1, SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(insert);
}

class GeneratedStore {
public:
    GeneratedStore() {
        if (!Database(path_).EnsureExists()) {
            std::abort();
        }
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        Insert(db, kNumbers, 0);
        sqlite3_close(db);
    }
    const std::string& Path() const { return path_; }
    QString Folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    std::string path_ = dir_.path().toStdString() + "/spider.mdb";
};

GeneratedStore& Store() {
    static GeneratedStore store;
    return store;
}

std::unique_ptr<NumbersWindow> OpenWindow(Database& database, Quiet& settings) {
    auto window = std::make_unique<NumbersWindow>(database, settings, Store().Folder(), [] { return false; });
    window->show();
    return window;
}

long ResidentKiB() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Opening: the whole store read, sorted newest first and shown. Memory is what the open window
// adds to the process, measured on the first opening.
void BM_OpenWindow(benchmark::State& state) {
    Store();
    Database database(Store().Path());
    Quiet settings;
    long addedKiB = -1;
    for (auto _ : state) {
        const long before = ResidentKiB();
        auto window = OpenWindow(database, settings);
        if (addedKiB < 0) {
            addedKiB = ResidentKiB() - before;
        }
        benchmark::DoNotOptimize(window->table()->model()->rowCount());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = kNumbers;
    state.counters["window_MiB"] = double(addedKiB) / 1024.0;
}

// The parts of an opening: Arg 0 the store read into the model, Arg 1 that and the model sorted
// newest first (each with the model's release).
void BM_ReadAndSort(benchmark::State& state) {
    Store();
    Database database(Store().Path());
    for (auto _ : state) {
        NumbersModel model(database);
        model.Refresh();
        if (state.range(0) == 1) {
            NumbersFilter filter(model);
            filter.sort(NumbersModel::Found, Qt::DescendingOrder);
            benchmark::DoNotOptimize(filter.rowCount());
        }
    }
}

// One keystroke in the search box over 100,000 rows sorted newest first: Arg 0 narrows ("la" to
// "law"), Arg 1 widens ("law" to "la"), Arg 2 types a first letter, Arg 3 clears the box.
void BM_SearchKeystroke(benchmark::State& state) {
    static const std::array<std::pair<const char*, const char*>, 4> kSteps = {
        {{"la", "law"}, {"law", "la"}, {"", "l"}, {"l", ""}}};
    Store();
    Database database(Store().Path());
    Quiet settings;
    auto window = OpenWindow(database, settings);
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("txtFind"));
    const auto& [from, to] = kSteps[std::size_t(state.range(0))];
    for (auto _ : state) {
        state.PauseTiming();
        box->setText(QString::fromUtf8(from));
        state.ResumeTiming();
        box->setText(QString::fromUtf8(to));
        benchmark::DoNotOptimize(window->table()->model()->rowCount());
    }
    state.counters["shown"] = window->table()->model()->rowCount();
}

// The poll every second: Arg 0 with nothing new, Arg 10 with ten numbers stored by another program.
void BM_Poll(benchmark::State& state) {
    Store();
    Database database(Store().Path());
    Quiet settings;
    auto window = OpenWindow(database, settings);
    sqlite3* other = nullptr;
    sqlite3_open(Store().Path().c_str(), &other);
    int next = kNumbers;
    for (auto _ : state) {
        state.PauseTiming();
        if (state.range(0) > 0) {
            Insert(other, int(state.range(0)), next);
            next += int(state.range(0));
        }
        state.ResumeTiming();
        window->Poll();
    }
    sqlite3_exec(other, "DELETE FROM faxes WHERE rowid > 100000", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ReadAndSort)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchKeystroke)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Poll)->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace tarnwick
