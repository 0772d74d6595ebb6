// Result-domain extraction of one result page: a fresh build, and a build near its largest
// target where every candidate is checked against 10,000 earlier results.
#include "listbuilder/ResultLinks.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

// A result page shaped like a search engine's: 100 results, each with its own link, a cached
// copy and a related-pages link into the engine, wrapped in markup noise.
std::string ResultPage(int firstResult) {
    std::string page = "<html><head><script>var x='http://www.google.com/x.js';</script></head><body>";
    for (int i = firstResult; i < firstResult + 100; ++i) {
        const std::string n = std::to_string(i);
        page +=
            "<div class=\"g\"><h2 class=r><a href=\"http://www.site" + n + ".com/products/item.html?id=" + n +
            "\" class=l>Site " + n + " fax directory</a></h2><table><tr><td class=\"j\"><font size=-1>" +
            "Contact us by phone or fax for a quote. Lorem ipsum dolor sit amet, consectetur adipiscing "
            "elit, sed do eiusmod tempor incididunt ut labore.<br><span class=a>www.site" +
            n +
            ".com/products/ - 12k - </span><nobr><a class=fl href=\"http://www.google.com/search?q=cache:" +
            n + "\">Cached</a> - <a class=fl href=\"http://www.google.com/search?q=related:www.site" + n +
            ".com/\">Similar pages</a></nobr></font></td></tr></table></div>\n";
    }
    page += "</body></html>";
    return page;
}

std::string EarlierResults(int count) {
    std::string found;
    for (int i = 0; i < count; ++i) {
        found += "earlier" + std::to_string(i) + ".com";
    }
    return found;
}

void BM_ExtractFreshBuild(benchmark::State& state) {
    const std::string page = ResultPage(0);
    for (auto _ : state) {
        std::string foundText;
        benchmark::DoNotOptimize(tarnwick::ExtractResultDomains(page, foundText));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExtractFreshBuild);

void BM_ExtractAfterEarlierResults(benchmark::State& state) {
    const std::string page = ResultPage(0);
    const std::string earlier = EarlierResults(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string foundText = earlier;
        benchmark::DoNotOptimize(tarnwick::ExtractResultDomains(page, foundText));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExtractAfterEarlierResults)->Arg(1000)->Arg(10000);

} // namespace

BENCHMARK_MAIN();
