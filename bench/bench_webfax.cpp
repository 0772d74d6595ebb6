// Throughput of today's-web fax reader on generated pages shaped like current sites: contact
// pages (labels in text, icons, JSON-LD, a table headed Fax) that must be parsed, pages without
// any label that are passed over (also when written with character references), and a crawl-like
// mix of one contact page in ten.
#include "webfax/WebFax.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Prose(std::mt19937& random, int words) {
    static const char* const kWords[] = {"our",   "team",    "offers", "quality",  "service", "since",
                                         "local", "support", "orders", "shipping", "hours",   "monday"};
    std::string text;
    for (int i = 0; i < words; ++i) {
        text += kWords[random() % 12];
        text += ' ';
    }
    return text;
}

std::string MakePage(std::size_t size, bool contact, unsigned seed) {
    std::mt19937 random(seed);
    std::string page =
        "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>Example</title>"
        "<link rel=\"stylesheet\" href=\"/css/site.css\"><script>window.dataLayer=[];</script>";
    if (contact) {
        page += "<script "
                "type=\"application/ld+json\">{\"@context\":\"https://schema.org\",\"@graph\":[{\"@type\":"
                "\"LocalBusiness\",\"telephone\":\"+1-312-555-0100\",\"faxNumber\":\"+1-312-555-0143\"}]}</"
                "script>";
    }
    page += "</head><body><header class=\"site-header\"><nav><ul>";
    for (int i = 0; i < 8; ++i) {
        page += "<li class=\"menu-item\"><a href=\"/page-" + std::to_string(i) + "\">Item " +
                std::to_string(i) + "</a></li>";
    }
    page += "</ul></nav></header><main>";
    int block = 0;
    while (page.size() < size) {
        const std::string line = std::to_string(1000 + (block++ % 9000));
        switch (random() % 5) {
        case 0:
            page += "<section class=\"content\"><h2>" + Prose(random, 4) + "</h2><p>" + Prose(random, 60) +
                    "</p></section>";
            break;
        case 1:
            page += "<div class=\"card\"><img src=\"/img/" + line + ".jpg\" alt=\"\"><p>" +
                    Prose(random, 25) + "<a href=\"/more\">Read more</a></p></div>";
            break;
        case 2:
            page += contact
                        ? "<ul class=\"contact\"><li><i class=\"fa fa-phone\"></i> <a href=\"tel:+1312555" +
                              line + "\">(312) 555-" + line +
                              "</a></li><li><i class=\"fa fa-fax\"></i> (312)"
                              "&nbsp;555&#8209;" +
                              line + "</li></ul>"
                        : "<ul class=\"links\"><li><a href=\"/a\">" + Prose(random, 3) + "</a></li></ul>";
            break;
        case 3:
            page += contact ? "<p>P: 312.555.0100 | F: 312.555." + line + "</p>"
                            : "<p>Call 312.555." + line + " today</p>";
            break;
        default:
            page += "<table class=\"offices\"><thead><tr><th>Office</th><th>Phone</th><th>" +
                    std::string(contact ? "Fax" : "Hours") +
                    "</th></tr></thead><tbody><tr><td>Chicago</td>"
                    "<td>312-555-0100</td><td>312-555-" +
                    line + "</td></tr></tbody></table>";
            break;
        }
    }
    return page + "</main><footer><p>&copy; 2024 Example</p></footer></body></html>";
}

void Run(benchmark::State& state, const std::vector<std::string>& pages) {
    std::size_t bytes = 0;
    std::size_t numbers = 0;
    for (auto _ : state) {
        for (const std::string& page : pages) {
            numbers +=
                tarnwick::FindWebFaxNumbers(page, "text/html; charset=utf-8", "example.com", false).size();
            bytes += page.size();
        }
    }
    benchmark::DoNotOptimize(numbers);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations() * pages.size()),
                                                   benchmark::Counter::kIsRate);
}

void BM_ContactPages(benchmark::State& state) {
    Run(state, {MakePage(static_cast<std::size_t>(state.range(0)), true, 1)});
}

void BM_PagesWithoutLabels(benchmark::State& state) {
    Run(state, {MakePage(static_cast<std::size_t>(state.range(0)), false, 2)});
}

// Typographic quotes written as character references, each of which the label scan looks into.
void BM_PagesWithReferencesWithoutLabels(benchmark::State& state) {
    const std::string plain = MakePage(static_cast<std::size_t>(state.range(0)), false, 2);
    std::string page;
    for (std::size_t at = 0, team = 0; at < plain.size(); at = team) {
        team = std::min(plain.find("team", at), plain.size());
        page.append(plain, at, team - at);
        if (team < plain.size()) {
            page += "team&#8217;s";
            team += 4;
        }
    }
    Run(state, {page});
}

void BM_CrawlMix(benchmark::State& state) {
    std::vector<std::string> pages;
    for (unsigned i = 0; i < 10; ++i) {
        pages.push_back(MakePage(static_cast<std::size_t>(state.range(0)), i == 0, 3 + i));
    }
    Run(state, pages);
}

} // namespace

BENCHMARK(BM_ContactPages)->Arg(20 << 10)->Arg(200 << 10);
BENCHMARK(BM_PagesWithoutLabels)->Arg(20 << 10)->Arg(200 << 10);
BENCHMARK(BM_PagesWithReferencesWithoutLabels)->Arg(200 << 10);
BENCHMARK(BM_CrawlMix)->Arg(50 << 10);
BENCHMARK_MAIN();
