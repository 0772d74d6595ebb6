// Telephone numbers decided by libphonenumber, in the stored forms of the fax list.
#pragma once

#include "harvest/FaxNumbers.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The country a site's national-form numbers are read in: the two-letter region of its
// country-code domain ("co.uk" gives "GB"), or "US" for generic domains and for country codes
// that are mostly used as generic names (".io", ".co", ".tv", ...).
std::string RegionOfHost(std::string_view host);

// `written` read as a telephone number in `region`: a North-American number as "1-AAA-BBB-CCCC"
// with its area-code location; any other as "+CC-..." with "Unknown/International", only when
// `allowInternational`. Extensions are dropped; numbers that cannot be possible give nothing.
std::optional<FoundFax> ReadTelephoneNumber(std::string_view written, const std::string& region,
                                            bool allowInternational);

} // namespace tarnwick
