// Arbitrary bytes through the HTML-to-text conversion: no crash, no read out of bounds,
// output bounded by the input, and the conversion and its forward scans agreeing with
// literal versions of the rules.
#include "ReferenceConverter.h"
#include "ReferenceScan.h"
#include "text/AreaCode.h"
#include "text/HtmlScan.h"
#include "text/HtmlToText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The literal versions are slow; they are compared on short inputs and the first few starts.
constexpr std::size_t kCompareSize = 512;
constexpr int kCompareStarts = 64;

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string html(reinterpret_cast<const char*>(data), size);

    // No tag, marker or reference turns a few input characters into more than four each.
    // Behind a body tag every rule of the body is reached without guessing that tag first.
    const std::string text = tarnwick::HtmlToText(html);
    Check(text.size() <= 4 * html.size() + 16);
    const std::string bodied = "<body>" + html;
    const std::string bodiedText = tarnwick::HtmlToText(bodied);
    Check(bodiedText.size() <= 4 * bodied.size() + 16);

    Check(tarnwick::DecodeEntity(html.substr(0, 8)).size() <= 1);

    std::string number = html;
    const std::string region = tarnwick::AreaCodeLocation(number);
    Check(region == "Unknown/International" || (region.size() >= 5 && region.substr(2, 2) == "  "));
    Check(number.size() == html.size() - (html.starts_with("1-") ? 2 : 0));

    if (html.size() <= kCompareSize) {
        Check(text == tarnwick::reference::Convert(html));
        Check(bodiedText == tarnwick::reference::Convert(bodied));
        tarnwick::htmlscan::RowScanner rows(html);
        int starts = 0;
        for (std::size_t at = html.find('>'); at != std::string::npos && starts < kCompareStarts;
             at = html.find('>', at + 1), ++starts) {
            const auto fast = rows.IsCompact(at + 1);
            const auto slow = tarnwick::reference::RowIsCompact(html, at + 1);
            Check(fast.has_value() == slow.has_value() && (!fast || *fast == *slow));
        }
        starts = 0;
        for (std::size_t at = html.find('-'); at != std::string::npos && starts < kCompareStarts;
             at = html.find('-', at + 1), ++starts) {
            Check(tarnwick::htmlscan::FindCommentEnd(html, at) == tarnwick::reference::CommentEnd(html, at));
        }
    }
    return 0;
}
