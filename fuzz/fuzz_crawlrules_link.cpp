// The link of a line on arbitrary bytes: no crash, and a link that comes back is a piece of the
// line that holds none of the fragments that are never followed.
#include "harvest/Links.h"
#include "harvest/TextPasses.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const auto link = tarnwick::LinkOfLine(line);
    if (!link) {
        return 0;
    }
    if (!tarnwick::ContainsText(line, "href=", tarnwick::LetterCase::Ignore) || link->size() >= line.size()) {
        std::abort();
    }
    for (const char* fragment : {"javascript", "mailto", ".js", ".ra", ".rm", ".gif", ".css", "#"}) {
        if (tarnwick::ContainsText(*link, fragment, tarnwick::LetterCase::Ignore)) {
            std::abort();
        }
    }
    return 0;
}
