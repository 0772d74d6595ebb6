// Result-page addresses of the two search engines and the result domains picked out of one
// result page. Pure text rules on single-byte strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// The first result page of engine ("Google" or "Yahoo"; anything else is treated as Google).
std::string FirstPageAddress(const std::string& engine, const std::string& searchTerms);
// A later result page; pagePosition is 1 for the first page, then +100 (Google) or +20 (Yahoo).
std::string NextPageAddress(const std::string& engine, const std::string& searchTerms,
                            std::int32_t pagePosition);
// The accepted results of one page in page order; each one is also appended to foundText, which
// is what later results are checked against for repeats.
std::vector<std::string> ExtractResultDomains(const std::string& pageHtml, std::string& foundText);

} // namespace tarnwick
