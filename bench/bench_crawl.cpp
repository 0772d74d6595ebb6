// A whole crawl on loopback: ten slots work through a generated web of some 2,100 pages, from a
// cold queue to a dry one. Reports pages per second, CPU per page, peak memory and the longest
// stall of the event loop (how late a 10 ms timer fires), over plain http and, with "tls/1", with
// every site over TLS and the secure-web option on. The secure crawl keeps to one start a second
// per host, so its web spreads the pages over 600 hosts; a second benchmark crawls a web of one
// host and reports its requests per second.
#include "FixtureWeb.h"
#include "StallProbe.h"
#include "TestCertificates.h"
#include "harvest/HarvestEngine.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <random>
#include <set>
#include <sys/resource.h>

namespace tarnwick {
namespace {

// Layers of the web: 19 seeded roots, 190 pages below them, 1900 leaves. Every page of a layer is
// linked from the layer above (and most of them several times); leaves link only to things the
// crawl never follows, so the web has no cycle and the queue runs dry.
constexpr int kRoots = 19;
constexpr int kMiddle = kRoots * 10;
constexpr int kLeaves = kMiddle * 10;
constexpr int kPages = kRoots + kMiddle + kLeaves;

// Set before a crawl's web is built, read by its server thread.
int hostCount = 37;

std::string HostOf(int page) {
    return "site" + std::to_string(page % hostCount) + ".example.com";
}
std::string PathOf(int page) {
    return "/p" + std::to_string(page) + ".html";
}
std::string AddressOf(int page) {
    return HostOf(page) + PathOf(page);
}

int PageOfPath(const std::string& path) {
    if (path.size() < 8 || path.compare(0, 2, "/p") != 0) {
        return -1;
    }
    try {
        return std::stoi(path.substr(2));
    } catch (...) {
        return -1;
    }
}

const char* const kFiller[] = {
    "Family owned since 1962, we serve the whole county with care and honest prices.",
    "Our showroom is open Monday to Saturday; parking is free behind the building.",
    "Ask about seasonal offers, group rates and the loyalty card for returning customers.",
    "All work is insured and guaranteed for two years, parts and labour included.",
};

std::string PageBody(int page) {
    std::mt19937 random(static_cast<std::uint32_t>(page) * 2654435761u + 17u);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const std::size_t size = static_cast<std::size_t>(pick(5, 60)) * 1024;
    const int links = pick(10, 40);

    std::string body = "<html><head><title>Page " + std::to_string(page) +
                       "</title>\r\n<script>var x = 1;</script></head>\r\n<body>\r\n<h1>Welcome</h1>\r\n";
    const auto link = [&](const std::string& target) {
        body += "<li><a href=\"" + target + "\">more</a></li>\r\n";
    };
    if (page < kRoots + kMiddle) {
        const bool root = page < kRoots;
        const int childBase = root ? kRoots : kRoots + kMiddle;
        const int childCount = root ? kMiddle : kLeaves;
        const int first = childBase + (root ? page : page - kRoots) * 10;
        for (int i = 0; i < links; ++i) {
            const int child = i < 10 ? first + i : childBase + pick(0, childCount - 1);
            link("http://" + AddressOf(child));
        }
    } else {
        static const char* const kIgnored[] = {"#top",      "mailto:sales@example.com", "/img/logo.jpg",
                                               "style.css", "javascript:void(0)",       "brochure.pdf"};
        for (int i = 0; i < links; ++i) {
            link(kIgnored[pick(0, 5)]);
        }
    }
    if (page % 3 == 0) {
        char fax[64];
        std::snprintf(fax, sizeof fax, "<p>Fax: (415) 555-%04d</p>\r\n", page);
        body += fax;
    }
    std::size_t line = 0;
    while (body.size() < size) {
        body += "<p>";
        body += kFiller[line++ % 4];
        body += "</p>\r\n";
    }
    body += "</body></html>\r\n";
    return body;
}

// Sounds, prompts and settings that do nothing, so the figures are the crawl's own.
struct Quiet final : SoundPlayer, UserPrompts, SettingsStore {
    void PlaySoundFile(const std::string&) override {}
    void ShowMessage(const std::string&, FocusTarget) override {}
    bool ConfirmOkCancel(const std::string&, const std::string&) override { return true; }
    std::string Read(const std::string&, const std::string& fallback) override { return fallback; }
    void Write(const std::string&, const std::string&) override {}
};

// Every host name leads to the fixture web on loopback; its TLS side is trusted when it has one.
EngineServices LoopbackServices(Database& database, const std::string& folder, Quiet& quiet,
                                const test::FixtureWeb& web) {
    const quint16 port = web.Port();
    EngineServices services{
        database, folder, quiet,
        quiet,    quiet,  [port](const std::string&) {
                                return Endpoint{QStringLiteral("127.0.0.1"), port}; }};
    if (const quint16 securePort = web.SecurePort(); securePort != 0) {
        services.resolveSecure = [securePort](const std::string&) {
            return Endpoint{QStringLiteral("127.0.0.1"), securePort};
        };
        services.trustedAuthorities = {QSslCertificate(QByteArray(test::kTestAuthorityPem), QSsl::Pem)};
    }
    return services;
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double ProcessCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void BM_CrawlGeneratedWeb(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString();
        Database database(folder + "/spider.mdb");
        database.EnsureExists();
        // Argument 1: every site answers over TLS and the engine runs with the secure-web option.
        const bool secureWeb = state.range(0) == 1;
        hostCount = secureWeb ? 600 : 37;
        test::FixtureWeb web(secureWeb);
        web.SetGenerator([](const std::string&, const std::string& path) -> std::optional<std::string> {
            const int page = PageOfPath(path);
            if (page < 0 || page >= kPages) {
                return std::nullopt;
            }
            return test::FixtureWeb::OkResponse(PageBody(page));
        });
        Quiet quiet;
        HarvestEngine engine(LoopbackServices(database, folder, quiet, web));
        engine.options().chkSecureWeb = secureWeb;
        engine.options().allowPrivateAddresses = true; // the fixture web is on loopback
        engine.SetTickInterval(10);
        engine.SetTimeouts(10, 1000);
        engine.options().cmbLastSearch = 1;
        engine.options().chkAudioEmail = false;
        engine.options().chkAudioFinished = false;
        engine.cmdAdd_Click("plumbers");
        // The classic take drops the batch's first entry unfetched; the secure one fetches it.
        std::string dropped = "www.dropped.example.com/";
        database.AddWebsite(dropped);
        for (int root = 0; root < kRoots; ++root) {
            std::string address = AddressOf(root);
            database.AddWebsite(address);
        }

        StallProbe probe;

        const double cpuBefore = ProcessCpuMs();
        const double threadCpuBefore = ThreadCpuMs();
        QElapsedTimer clock;
        state.ResumeTiming();
        clock.start();
        probe.Start();
        // The crawl is over when every page has been fetched and every fetch scanned; it ended
        // at the last change of the counters.
        qint64 lastCountMs = 0;
        QObject::connect(&engine, &HarvestEngine::statisticsChanged, &engine,
                         [&] { lastCountMs = clock.elapsed(); });
        bool done = false;
        QEventLoop loop;
        QTimer check;
        check.setInterval(100);
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            std::vector<test::RecordedRequest> requests = web.Requests();
            std::erase_if(requests, [](const test::RecordedRequest& r) { return r.path == "/robots.txt"; });
            std::set<std::string> distinct;
            for (const test::RecordedRequest& request : requests) {
                distinct.insert(request.path);
            }
            done = distinct.size() >= static_cast<std::size_t>(kPages) &&
                   engine.Stats().sessionSitesScanned >= static_cast<std::int32_t>(requests.size()) &&
                   engine.StatusText(2).empty();
            if (done || clock.elapsed() > 600000) {
                loop.quit();
            }
        });
        check.start();
        engine.cmdDoSearch_Click();
        loop.exec();
        check.stop();
        const double seconds = static_cast<double>(lastCountMs) / 1000.0;
        state.PauseTiming();
        probe.Stop();
        engine.cmdStop_Click();

        const double pages = engine.Stats().sessionSitesScanned;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["pages"] = pages;
        state.counters["distinct_pages"] = kPages;
        state.counters["pages_per_s"] = pages / seconds;
        state.counters["cpu_ms_per_page"] = (ProcessCpuMs() - cpuBefore) / pages;
        state.counters["engine_thread_cpu_ms_per_page"] = (ThreadCpuMs() - threadCpuBefore) / pages;
        state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        state.counters["longest_stall_ms"] = static_cast<double>(probe.WorstStallMs());
        state.counters["numbers_stored"] = engine.Stats().sessionNumbersFound;
        state.counters["finished"] = done ? 1 : 0;
        const std::vector<test::RecordedRequest> served = web.Requests();
        state.counters["tls_requests"] = static_cast<double>(std::count_if(
            served.begin(), served.end(), [](const test::RecordedRequest& r) { return r.secure; }));
        state.ResumeTiming();
    }
}

// A secure crawl of one host whose pages link on in a chain: the host's gap holds the crawl
// to a start a second, however many slots are free.
void BM_PoliteOneHost(benchmark::State& state) {
    constexpr int kChain = 6;
    for (auto _ : state) {
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString();
        Database database(folder + "/spider.mdb");
        database.EnsureExists();
        test::FixtureWeb web(true);
        web.SetGenerator([](const std::string&, const std::string& path) -> std::optional<std::string> {
            const int page = PageOfPath(path);
            if (page < 0 || page >= kChain) {
                return std::nullopt;
            }
            std::string body = "<body>";
            for (int next = page + 1; next < kChain && next < page + 4; ++next) {
                body += "<a href=\"/p" + std::to_string(next) + ".html\">next</a>";
            }
            return test::FixtureWeb::OkResponse(body + "</body>");
        });
        Quiet quiet;
        HarvestEngine engine(LoopbackServices(database, folder, quiet, web));
        engine.options().chkSecureWeb = true;
        engine.options().allowPrivateAddresses = true;
        engine.options().chkAudioFinished = false;
        engine.SetTickInterval(10);
        engine.SetTimeouts(100, 1000);
        engine.cmdAdd_Click("plumbers");
        database.AddWebsite("one.example.com/p0.html", WebsiteText::AsGiven);
        QElapsedTimer clock;
        QEventLoop loop;
        QObject::connect(&engine, &HarvestEngine::harvestEnded, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        clock.start();
        engine.cmdDoSearch_Click();
        loop.exec();
        const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
        const double requests = static_cast<double>(web.RequestCount());
        state.counters["requests"] = requests;
        state.counters["requests_per_s"] = requests / seconds;
        state.counters["pages"] = engine.Stats().sessionSitesScanned;
    }
}

BENCHMARK(BM_PoliteOneHost)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_CrawlGeneratedWeb)
    ->ArgName("tls")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
} // namespace tarnwick

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
