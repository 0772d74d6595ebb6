// What one list build asks for: the query terms, the engine and the number of results,
// derived from the main window's phrase and option controls. Pure rules, Qt-free.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// The phrase with " fax" appended when asked for, every space replaced by "+".
std::string SearchTermsFor(const std::string& phrase, bool addFax);
// The results wanted for the index of the "number of results" list; no selection gives 100.
std::int32_t WantedResultsFor(int resultsIndex);
// The displayed text of the engine list for its selected index; with the secure-web option the list
// offers four engines.
std::string EngineListText(int engineIndex, bool secureWeb = false);
// "Yahoo" for exactly "Yahoo Search", otherwise "Google".
std::string EngineFor(const std::string& engineListText);

} // namespace tarnwick
