// Fax numbers of today's pages.
#pragma once

#include "harvest/FaxNumbers.h"
#include "webfax/LabelPrescan.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The fax numbers of a page as received (its body, any character set), each once, in the
// stored forms: "1-AAA-BBB-CCCC" with its area-code location, or, with `allowInternational`,
// "+CC-..." with "Unknown/International". `contentType` is the response's Content-Type value
// (may be empty); `host` the host the page came from, whose country-code domain decides how
// national-form numbers are read. Only numbers labelled fax in the text or the markup count.
std::vector<FoundFax> FindWebFaxNumbers(std::string_view page, std::string_view contentType,
                                        std::string_view host, bool allowInternational);

} // namespace tarnwick
