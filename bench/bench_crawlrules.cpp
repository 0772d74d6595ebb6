// Throughput of the per-page crawl rules on generated pages of 5 to 500 KB: the fax-number
// search from the raw body (conversion included) and the link pass over the page's lines.
#include "harvest/FaxNumbers.h"
#include "harvest/Links.h"
#include "text/HtmlToText.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <string_view>

namespace {

// A page shaped like a small business site: head with style and script, a navigation list of
// links, prose paragraphs, a contact table with telephone and fax numbers, comments and
// references; line ends mixed between CR LF and LF.
std::string MakePage(std::size_t size, unsigned seed) {
    static const char* const words[] = {"the",      "service", "our",      "company", "offers",  "quality",
                                        "products", "since",   "contact",  "office",  "hours",   "monday",
                                        "friday",   "orders",  "shipping", "free",    "catalog", "request",
                                        "local",    "dealer",  "support",  "team",    "with",    "and"};
    std::mt19937 random(seed);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    const auto number = [&] {
        return std::to_string(200 + pick(800)) + "-" + std::to_string(200 + pick(800)) + "-" +
               std::to_string(1000 + pick(9000));
    };
    const auto eol = [&] { return pick(3) == 0 ? std::string("\n") : std::string("\r\n"); };

    std::string page = "<html>" + eol() + "<head><title>Harrow Supply Co. - Contact</title>" + eol() +
                       "<style>body { font-family: Arial; } td { padding: 2px; }</style>" + eol() +
                       "<script>function go(u) { if (u != '') { location = u; } }</script>" + eol() +
                       "</head>" + eol() + "<body bgcolor=\"#ffffff\">" + eol();
    while (page.size() < size) {
        switch (pick(6)) {
        case 0:
            page += "<ul>" + eol();
            for (std::size_t i = 0, n = 3 + pick(8); i < n; ++i) {
                static const char* const targets[] = {
                    "products.html",      "/about/index.html",           "http://www.partner-site.com/",
                    "../catalog.htm",     "mailto:sales@harrow.example", "images/logo.gif",
                    "page.asp?id=12#top", "www.dealers.net/list"};
                page += "  <li><a href=\"" + std::string(targets[pick(8)]) + "\">" + words[pick(24)] +
                        "</a></li>" + eol();
            }
            page += "</ul>" + eol();
            break;
        case 1:
        case 2:
            page += "<p>";
            for (std::size_t i = 0, n = 30 + pick(90); i < n; ++i) {
                page += words[pick(24)];
                page += (i % 14 == 13) ? eol() : std::string(" ");
            }
            page += "&amp; more&#8230;</p>" + eol();
            break;
        case 3:
            page += "<table border=0 cellpadding=2>" + eol() + "<tr><td><b>Tel:</b></td><td>(" +
                    std::to_string(200 + pick(800)) + ") " + number().substr(4) + "</td></tr>" + eol() +
                    "<tr><td><b>Fax:</b></td><td>" + number() + "</td></tr>" + eol() + "</table>" + eol();
            break;
        case 4:
            page += "<!-- section " + std::to_string(pick(100)) + " -->" + eol() +
                    "<div class=\"box\"><font size=2>" + words[pick(24)] + " " + words[pick(24)] +
                    "</font> <a href=" + words[pick(24)] + ".html target=_top>more</a></div>" + eol();
            break;
        default:
            page += "<br>Call toll free 1-800-" + number().substr(4) + " or fax us at " + number() + ".<br>" +
                    eol();
            break;
        }
    }
    return page + "</body></html>" + eol();
}

const std::string& Page(std::size_t size) {
    static std::string pages[3];
    const std::size_t slot = size <= 5000 ? 0 : size <= 50000 ? 1 : 2;
    if (pages[slot].empty()) {
        pages[slot] = MakePage(size, static_cast<unsigned>(size));
    }
    return pages[slot];
}

void FindFaxNumbers(benchmark::State& state) {
    const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
    std::size_t found = 0;
    for (auto _ : state) {
        const auto numbers = tarnwick::FindFaxNumbersInPage(page, true);
        found = numbers.size();
        benchmark::DoNotOptimize(numbers.data());
    }
    state.counters["numbers"] = static_cast<double>(found);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

// The scan alone, over the converted text of the page, to tell its share from the conversion's.
void ScanConvertedText(benchmark::State& state) {
    const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
    const std::string text = tarnwick::HtmlToText(page);
    for (auto _ : state) {
        const auto numbers = tarnwick::ScanFaxNumbers(text, true);
        benchmark::DoNotOptimize(numbers.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

// What the link pass does per page: read it line by line (a line ends at CR LF or a lone CR),
// take the link of each line holding "href=" and normalise it against the page directory.
void LinkPass(benchmark::State& state) {
    const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
    const std::string directory = tarnwick::UrlDirectory("www.harrow.example/contact/index.html");
    std::size_t links = 0;
    for (auto _ : state) {
        links = 0;
        std::size_t start = 0;
        while (start < page.size()) {
            std::size_t end = page.find('\r', start);
            if (end == std::string::npos) {
                end = page.size();
            }
            const std::string line = page.substr(start, end - start);
            if (const auto link = tarnwick::LinkOfLine(line)) {
                const std::string address = tarnwick::NormaliseLink(*link, directory);
                benchmark::DoNotOptimize(address.data());
                ++links;
            }
            start = end + 1;
            if (start < page.size() && page[start] == '\n') {
                ++start;
            }
        }
    }
    state.counters["links"] = static_cast<double>(links);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

BENCHMARK(FindFaxNumbers)->Arg(5000)->Arg(50000)->Arg(500000);
BENCHMARK(ScanConvertedText)->Arg(5000)->Arg(50000)->Arg(500000);
BENCHMARK(LinkPass)->Arg(5000)->Arg(50000)->Arg(500000);

} // namespace

BENCHMARK_MAIN();
