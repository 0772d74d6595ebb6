// The secure web's rules on arbitrary bytes: every href of each line resolved against a page
// address, the page's base, the response head and chunked decoding. No crash, and what comes
// back keeps the promises the fetcher relies on.
#include "harvest/WebLinks.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const tarnwick::WebUrl base{true, "example.com", "/dir/page.html"};
    for (const std::string_view line : tarnwick::SplitAllLines(text)) {
        for (const std::string& href : tarnwick::HrefValuesOfLine(line)) {
            const std::optional<tarnwick::WebUrl> url = tarnwick::ResolveUrl(href, base);
            // A request line must never carry white space, a line break or a fragment.
            if (url && (url->host.empty() || url->path.empty() || url->path.front() != '/' ||
                        url->path.find_first_of(" \r\n#") != std::string::npos ||
                        url->host.find_first_of(" \r\n") != std::string::npos)) {
                std::abort();
            }
            (void)tarnwick::LinkWebsite(href, base);
        }
    }
    (void)tarnwick::BaseHrefOf(text);
    const std::vector<std::string> websites = tarnwick::PageLinkWebsites(text, base);
    if (websites.size() > tarnwick::kMaxLinksPerPage) {
        std::abort();
    }
    for (const std::string& website : websites) {
        if (website.size() > tarnwick::kMaxLinkBytes) {
            std::abort();
        }
    }
    if (const auto end = tarnwick::FindHeadEnd(text); end && (end->head >= end->body || end->body > size)) {
        std::abort();
    }
    (void)tarnwick::ParseResponseHead(text);
    tarnwick::ChunkedDecoder decoder;
    std::string body;
    const std::size_t half = size / 2;
    decoder.Feed(std::string_view(text).substr(0, half), body, 4096);
    decoder.Feed(std::string_view(text).substr(half), body, 4096);
    if (body.size() > 4096 || body.size() > size) {
        std::abort();
    }
    return 0;
}
