// The region of a North-American telephone number, named from its area code.
#pragma once

#include <string>

namespace tarnwick {

// Region text of the number's area code, or "Unknown/International". A leading "1-" is
// removed from the caller's variable.
std::string AreaCodeLocation(std::string& number);

} // namespace tarnwick
