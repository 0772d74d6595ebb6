// schema.org faxNumber values of JSON-LD.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The most fax values one page gives.
inline constexpr std::size_t kMaxFaxValues = 64;

// A faxNumber property name: plain, prefixed ("schema:faxNumber") or a full property address.
bool IsFaxNumberKey(std::string_view key);

// The values of every "faxNumber" key of a JSON text, at any depth, a string or an array of them.
std::vector<std::string> JsonFaxValues(std::string_view json);

} // namespace tarnwick
