// The numbers with their sources as CSV for spreadsheets: a header row, one record a line,
// fields quoted only where they must be, UTF-8 text.
#pragma once

#include "store/Database.h"
#include "text/Cp1252.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The header row's fields, in column order.
inline constexpr std::string_view kNumbersCsvHeader = "number,region,website,search,found";

// The calendar date of a stored date ("YYYY-MM-DD"); a text that does not start with one is
// kept whole, so nothing is lost.
std::string_view IsoDate(std::string_view stored);

// One field, quoted and with its quotes doubled when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view utf8);

// The header, then number, region, website, search and date of each record in the order given;
// every line ends with CR LF.
std::string NumbersCsv(const std::vector<FaxDetails>& records);

} // namespace tarnwick
