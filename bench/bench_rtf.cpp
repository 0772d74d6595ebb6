// Throughput of the RTF reader and its HTML rendering: the shipped guide and a 1 MB document.
#include "text/Rtf.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string HelpFile() {
    std::ifstream file(TARNWICK_HELP_FILE, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

std::string LargeDocument() {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Verdana;}}\\fs20 ";
    while (rtf.size() < 1'000'000) {
        rtf += "{\\b Heading}\\par Some {\\i body} text with caf\\'e9 and a\\tab tab \\emdash  more.\\par\n";
    }
    return rtf + "}";
}

void ReadAndRender(benchmark::State& state, const std::string& rtf) {
    for (auto _ : state) {
        const tarnwick::RtfDocument document = tarnwick::ReadRtf(rtf);
        benchmark::DoNotOptimize(tarnwick::RtfToHtml(document));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(rtf.size()));
}

void BM_HelpFile(benchmark::State& state) {
    ReadAndRender(state, HelpFile());
}
void BM_LargeDocument(benchmark::State& state) {
    ReadAndRender(state, LargeDocument());
}

} // namespace

BENCHMARK(BM_HelpFile);
BENCHMARK(BM_LargeDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
