// The cleaning the record operations apply to a value before storing or looking it up.
#pragma once

#include <string>

namespace tarnwick {

// Removes leading and trailing spaces (only the space character).
std::string TrimSpaces(const std::string& text);

// Removes every "http://", then every "ttp://", "tp://", "p://" and "://" in any letter case,
// one left-to-right pass each, then trims spaces.
std::string CleanWebsite(const std::string& website);

// Removes one trailing ".", then trims spaces.
std::string CleanFax(const std::string& fax);

} // namespace tarnwick
