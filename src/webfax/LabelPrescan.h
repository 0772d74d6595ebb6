// The cheap look over a page's bytes that tells whether it may hold a fax label at all.
#pragma once

#include <string_view>

namespace tarnwick {

// False when no fax label can be in the page, so it need not be parsed. Labels split by inline
// markup ("<b>F</b>ax"), written with character references ("F&#58;", "&#70;ax") or JSON
// escapes, or with characters that read as nothing or as ":" and "." still count, as long as
// no more than 1 KB of markup parts their letters.
bool MayHoldFaxLabel(std::string_view page);

} // namespace tarnwick
