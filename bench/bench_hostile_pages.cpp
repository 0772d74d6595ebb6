// The per-page scans of the link rules on pages built to make a careless scan quadratic: every
// shape grows eightfold from 64 KiB to 4 MiB, and the fitted complexity shows whether its time
// grows the same (linear) or sixtyfourfold (quadratic).
#include "harvest/Links.h"
#include "harvest/WebAddress.h"
#include "harvest/WebLinks.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

std::string Repeat(const std::string& piece, std::size_t size) {
    std::string page;
    page.reserve(size + piece.size());
    while (page.size() < size) {
        page += piece;
    }
    return page;
}

// Each size once per shape; the page is built outside the timed loop.
template <typename Scan> void Run(benchmark::State& state, const std::string& piece, Scan scan) {
    const std::string page = Repeat(piece, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        scan(page);
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

const tarnwick::WebUrl kBase{true, "shop.example.com", "/dir/page.html"};

// "<base " tags that never close: each used to send a search for ">" to the end of the page.
void BaseTagsWithoutClose(benchmark::State& state) {
    Run(state, "<base ",
        [](const std::string& page) { benchmark::DoNotOptimize(tarnwick::BaseHrefOf(page)); });
}

void BaseTagsWithoutHref(benchmark::State& state) {
    Run(state, "<base target=x>",
        [](const std::string& page) { benchmark::DoNotOptimize(tarnwick::BaseHrefOf(page)); });
}

// One line of nothing but links, and one of quotes that never close.
void SecureLinksOnOneLine(benchmark::State& state) {
    Run(state, "<a href=p.html>",
        [](const std::string& page) { benchmark::DoNotOptimize(tarnwick::PageLinkWebsites(page, kBase)); });
}

void SecureUnclosedQuotes(benchmark::State& state) {
    Run(state, "<a href=\"x",
        [](const std::string& page) { benchmark::DoNotOptimize(tarnwick::PageLinkWebsites(page, kBase)); });
}

void SecureHrefChains(benchmark::State& state) {
    Run(state, "href=href=", [](const std::string& page) {
        benchmark::DoNotOptimize(tarnwick::PageLinkWebsites(page, kBase));
    });
}

void ClassicLinksOnOneLine(benchmark::State& state) {
    Run(state, "<a href='p.html'>", [](const std::string& page) {
        benchmark::DoNotOptimize(tarnwick::LinksOfPageFile(page, "shop.example.com/dir/"));
    });
}

void ClassicOneLinkPerLine(benchmark::State& state) {
    Run(state, "<a href=\"p.html\">\r\n", [](const std::string& page) {
        benchmark::DoNotOptimize(tarnwick::LinksOfPageFile(page, "shop.example.com/dir/"));
    });
}

// A response head of bare-LF lines that never reaches its blank line, searched as it arrives.
void HeadSearchInPieces(benchmark::State& state) {
    Run(state, "X-Filler: a\n", [](const std::string& page) {
        std::size_t from = 0;
        for (std::size_t end = 1024; end <= page.size(); end += 1024) {
            const std::string_view arrived(page.data(), end);
            benchmark::DoNotOptimize(tarnwick::FindHeadEnd(arrived, from));
            from = tarnwick::HeadSearchResume(arrived);
        }
    });
}

#define TARNWICK_SHAPE(name)                                                                                 \
    BENCHMARK(name)->RangeMultiplier(8)->Range(64 << 10, 4 << 20)->Complexity(benchmark::oN)

TARNWICK_SHAPE(BaseTagsWithoutClose);
TARNWICK_SHAPE(BaseTagsWithoutHref);
TARNWICK_SHAPE(SecureLinksOnOneLine);
TARNWICK_SHAPE(SecureUnclosedQuotes);
TARNWICK_SHAPE(SecureHrefChains);
TARNWICK_SHAPE(ClassicLinksOnOneLine);
TARNWICK_SHAPE(ClassicOneLinkPerLine);
TARNWICK_SHAPE(HeadSearchInPieces);

} // namespace

BENCHMARK_MAIN();
