// Fax numbers of today's pages, and the one place where the fax reader is chosen.
#pragma once

#include "harvest/FaxNumbers.h"

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

// The page's fax numbers by the reader the option chooses: today's-web reader with `secureWeb`,
// otherwise the classic one on the page body exactly as before; the classic reader's converted
// text, which the slot's flat page file keeps, goes to `classicText` when given (it is left
// untouched with `secureWeb`).
std::vector<FoundFax> FindPageFaxNumbers(const std::string& page, std::string_view contentType,
                                         std::string_view host, bool allowInternational, bool secureWeb,
                                         std::string* classicText = nullptr);

// False when no fax label can be in the page, so it need not be parsed.
bool MayHoldFaxLabel(std::string_view page);

} // namespace tarnwick
