// How much of a page is given to the HTML parser.
#pragma once

#include <cstddef>
#include <string_view>

namespace tarnwick {

// The part of `html` that is parsed: at most `maxBytes`, and cut before the tag that would
// open more than `maxDepth` elements (elements whose end tags may be left out do not count).
std::size_t ParsableLength(std::string_view html, std::size_t maxBytes, int maxDepth);

} // namespace tarnwick
