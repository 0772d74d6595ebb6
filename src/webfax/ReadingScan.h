// The numbers a page's reading text labels as fax numbers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// A written number as it stands in the reading text, from its first digit, "+" or "(" to where
// the characters a number is written with end.
struct WrittenNumber {
    std::size_t start = 0;
    std::size_t end = 0;
};

// Whether a number starts at `at`, and where it ends.
bool NumberStartsAt(std::string_view text, std::size_t at);
WrittenNumber WrittenNumberAt(std::string_view text, std::size_t at);

// The written number itself and shorter readings of it, longest first: a trailing group cut
// off at a space may be a year or a second number ("312-555-0143 2024").
std::vector<std::string> ReadingsOf(std::string_view written);

// Every written number that a fax label in the text or the markup labels, in order. A label
// reaches the number after it on the same block or in the next block of text (a label of the
// markup only in its own block) across punctuation, short connectors ("number", "no.", "#",
// "line", "toll free") and other labels; any other word, a new table row or a telephone sign
// in a later block ends it.
std::vector<std::string> LabelledNumbers(std::string_view reading);

} // namespace tarnwick
