// A crawl of a generated loopback web with the main window shown and bound to the engine, so the
// cost of showing every list, text and counter change is in the figures, beside the same crawl by
// the engine alone. Reports both rates in pages per second, their ratio and the longest stall of
// the event loop with the window (how late a 10 ms timer fires), which bounds how long a click on
// Stop or Next waits. Both crawls keep their settings in the program's own store (QSettings, in
// a temporary folder), so what saving the lifetime counters costs is in the figures.
#include "FixtureWeb.h"
#include "StallProbe.h"
#include "harvest/HarvestEngine.h"
#include "store/Database.h"
#include "ui/Form1.h"
#include "ui/QtSettingsStore.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

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
        for (int child = firstChild; child < firstChild + 10; ++child) {
            body += "<li><a href=\"http://" + AddressOf(child) + "\">more</a></li>\r\n";
        }
    }
    if (page % 3 == 0) {
        char fax[64];
        std::snprintf(fax, sizeof fax, "<p>Fax: (212) 555-%04d</p>\r\n", page);
        body += fax;
    }
    while (body.size() < 12 * 1024) {
        body += "<p>Family owned since 1962, we serve the whole county with care and honest prices.</p>\r\n";
    }
    return body + "</body></html>\r\n";
}

struct Quiet final : SoundPlayer, UserPrompts {
    void PlaySoundFile(const std::string&) override {}
    void ShowMessage(const std::string&, FocusTarget) override {}
    bool ConfirmOkCancel(const std::string&, const std::string&) override { return true; }
};

struct CrawlFigures {
    double pagesPerSecond = 0;
    double cpuMsPerPage = 0; // the whole process, the fixture web's thread included
    double pages = 0;
    double numbers = 0;
    qint64 longestStallMs = 0;
    double redrawsPerSecond = 0; // how often the window drew engine changes
    bool finished = false;
};

// One crawl of the generated web from a cold queue to a dry one, with or without the main window.
CrawlFigures Crawl(bool withWindow) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    Database database(folder + "/spider.mdb");
    database.EnsureExists();
    test::FixtureWeb web;
    web.SetGenerator([](const std::string&, const std::string& path) -> std::optional<std::string> {
        const int page = path.size() > 2 ? std::atoi(path.c_str() + 2) : -1;
        if (page < 0 || page >= kPages) {
            return std::nullopt;
        }
        return test::FixtureWeb::OkResponse(PageBody(page));
    });
    Quiet quiet;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       dir.path() + QStringLiteral("/settings"));
    QtSettingsStore settings;
    const quint16 port = web.Port();
    HarvestEngine engine(EngineServices{database, folder, quiet, quiet, settings, [port](const std::string&) {
                                            return Endpoint{QStringLiteral("127.0.0.1"), port};
                                        }});
    std::unique_ptr<Form1> form;
    if (withWindow) {
        form = std::make_unique<Form1>(engine, settings, LoadBranding());
        form->Load();
        form->show();
    }
    engine.options().allowPrivateAddresses = true; // the fixture web is on loopback
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
    const std::clock_t cpuStart = std::clock();
    clock.start();
    probe.Start();
    limit.start(300000);
    engine.cmdDoSearch_Click();
    loop.exec();
    const double seconds = double(clock.elapsed()) / 1000.0;
    const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    probe.Stop();

    CrawlFigures figures;
    figures.pages = engine.Stats().sessionSitesScanned;
    figures.pagesPerSecond = figures.pages / seconds;
    figures.cpuMsPerPage = cpuMs / std::max(1.0, figures.pages);
    figures.numbers = engine.Stats().sessionNumbersFound;
    figures.longestStallMs = probe.WorstStallMs();
    figures.finished = limit.isActive();
    if (form) {
        figures.redrawsPerSecond = form->RedrawCount() / seconds;
    }
    engine.Shutdown();
    return figures;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The engine alone and the engine with the main window shown crawl in turns, so both see the
// same load on the machine; the ratio is what showing the harvest costs it.
void BM_CrawlWithMainWindow(benchmark::State& state) {
    std::vector<double> alone;
    std::vector<double> shown;
    std::vector<double> aloneCpu;
    std::vector<double> shownCpu;
    CrawlFigures last;
    qint64 longestStallMs = 0;
    bool finished = true;
    for (auto _ : state) {
        const CrawlFigures engineOnly = Crawl(false);
        last = Crawl(true);
        alone.push_back(engineOnly.pagesPerSecond);
        shown.push_back(last.pagesPerSecond);
        aloneCpu.push_back(engineOnly.cpuMsPerPage);
        shownCpu.push_back(last.cpuMsPerPage);
        longestStallMs = std::max(longestStallMs, last.longestStallMs);
        finished = finished && engineOnly.finished && last.finished;
    }
    const double aloneRate = Median(alone);
    const double shownRate = Median(shown);
    state.counters["pages"] = last.pages;
    state.counters["numbers_stored"] = last.numbers;
    state.counters["engine_alone_pages_per_s"] = aloneRate;
    state.counters["pages_per_s"] = shownRate;
    state.counters["ratio_pct"] = 100.0 * shownRate / aloneRate;
    state.counters["engine_alone_cpu_ms_per_page"] = Median(aloneCpu);
    state.counters["cpu_ms_per_page"] = Median(shownCpu);
    state.counters["longest_stall_ms"] = double(longestStallMs);
    state.counters["finished"] = finished ? 1 : 0;
    state.counters["redraws_per_s"] = last.redrawsPerSecond;
    std::printf("engine alone %.0f pages/s, with the main window %.0f pages/s, ratio %.0f %%, longest "
                "stall %lld ms; CPU per page %.2f ms alone, %.2f ms with the window\n",
                aloneRate, shownRate, 100.0 * shownRate / aloneRate, static_cast<long long>(longestStallMs),
                Median(aloneCpu), Median(shownCpu));
}

BENCHMARK(BM_CrawlWithMainWindow)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace tarnwick
