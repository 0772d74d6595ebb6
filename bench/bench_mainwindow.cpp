// A crawl of a generated loopback web with the main window shown and bound to the engine, so the
// cost of showing every list, text and counter change is in the figures. Reports pages per second
// and the longest stall of the event loop (how late a 10 ms timer fires), which bounds how long a
// click on Stop or Next waits.
#include "FixtureWeb.h"
#include "StallProbe.h"
#include "harvest/HarvestEngine.h"
#include "store/Database.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace tarnwick {
namespace {

// 20 roots link to 10 pages each, which link to 10 leaves each: 2,220 pages, no cycle.
constexpr int kRoots = 20;
constexpr int kPages = kRoots + kRoots * 10 + kRoots * 100;

std::string AddressOf(int page) {
    return "shop" + std::to_string(page % 41) + ".example.com/p" + std::to_string(page) + ".html";
}

std::string PageBody(int page) {
    std::string body = "<html><body>\r\n<h1>Page " + std::to_string(page) + "</h1>\r\n";
    const int firstChild = page < kRoots ? kRoots + page * 10 : kRoots * 11 + (page - kRoots) * 10;
    if (page < kRoots * 11) {
        for (int child = firstChild; child < firstChild + 10; ++child)
            body += "<li><a href=\"http://" + AddressOf(child) + "\">more</a></li>\r\n";
    }
    if (page % 3 == 0) {
        char fax[64];
        std::snprintf(fax, sizeof fax, "<p>Fax: (212) 555-%04d</p>\r\n", page);
        body += fax;
    }
    while (body.size() < 12 * 1024)
        body += "<p>Family owned since 1962, we serve the whole county with care and honest prices.</p>\r\n";
    return body + "</body></html>\r\n";
}

struct Quiet final : SoundPlayer, UserPrompts, SettingsStore {
    void PlaySoundFile(const std::string&) override {}
    void ShowMessage(const std::string&, FocusTarget) override {}
    bool ConfirmOkCancel(const std::string&, const std::string&) override { return true; }
    std::string Read(const std::string&, const std::string& fallback) override { return fallback; }
    void Write(const std::string&, const std::string&) override {}
};

void BM_CrawlWithMainWindow(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString();
        Database database(folder + "/spider.mdb");
        database.EnsureExists();
        test::FixtureWeb web;
        web.SetGenerator([](const std::string&, const std::string& path) -> std::optional<std::string> {
            const int page = path.size() > 2 ? std::atoi(path.c_str() + 2) : -1;
            if (page < 0 || page >= kPages)
                return std::nullopt;
            return test::FixtureWeb::OkResponse(PageBody(page));
        });
        Quiet quiet;
        const quint16 port = web.Port();
        HarvestEngine engine(
            EngineServices{database, folder, quiet, quiet, quiet, [port](const std::string&) {
                               return Endpoint{QStringLiteral("127.0.0.1"), port};
                           }});
        Form1 form(engine, quiet, LoadBranding());
        form.Load();
        form.show();
        engine.options().chkAudioEmail = false;
        engine.options().chkAudioFinished = false;
        engine.cmdAdd_Click("plumbers");
        std::string dropped = "dropped.example.com/";
        database.AddWebsite(dropped); // the first entry of a batch is never fetched
        for (int root = 0; root < kRoots; ++root) {
            std::string address = AddressOf(root);
            database.AddWebsite(address);
        }

        StallProbe probe;
        QEventLoop loop;
        QObject::connect(&engine, &HarvestEngine::harvestEnded, &loop, &QEventLoop::quit);
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);

        QElapsedTimer clock;
        state.ResumeTiming();
        clock.start();
        probe.Start();
        limit.start(300000);
        engine.cmdDoSearch_Click();
        loop.exec();
        const double seconds = double(clock.elapsed()) / 1000.0;
        state.PauseTiming();
        probe.Stop();

        const double pages = engine.Stats().sessionSitesScanned;
        state.counters["pages"] = pages;
        state.counters["pages_per_s"] = pages / seconds;
        state.counters["longest_stall_ms"] = double(probe.WorstStallMs());
        state.counters["numbers_stored"] = engine.Stats().sessionNumbersFound;
        state.counters["finished"] = limit.isActive() ? 1 : 0;
        engine.Shutdown();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_CrawlWithMainWindow)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace tarnwick

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
