// Fax numbers of a page: the text after each "fax" read as a telephone number, normalised,
// and named by its area code when it is North-American.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct FoundFax {
    std::string number;
    std::string location;
};

// True for "AAA-BBB-CCCC" (any characters between the dashes); a leading "1-" is removed
// from the caller's variable first.
bool IsNorthAmericanNumber(std::string& number);

// Every number the converted page text offers, in order, each time it qualifies; lines end at
// CR LF or a lone CR. International numbers only when `allowInternational` is set.
std::vector<FoundFax> ScanFaxNumbers(const std::string& pageText, bool allowInternational);

// `text` with a line break put before every "fax" (any letter case), which becomes lower case, so
// that each number's label starts a text line.
std::string BreakBeforeFax(std::string_view text);

// The numbers of a page body as received: its line ends dropped, a line break put before each
// "fax", converted to text, then scanned.
std::vector<FoundFax> FindFaxNumbersInPage(const std::string& page, bool allowInternational);

} // namespace tarnwick
