// The query terms, engine and result count of one list build.
#include "listbuilder/SearchQuery.h"

#include "listbuilder/SearchEngines.h"

#include <array>

namespace tarnwick {

std::string SearchTermsFor(const std::string& phrase, bool addFax) {
    std::string terms = phrase;
    if (addFax) {
        terms += " fax";
    }
    for (char& c : terms) {
        if (c == ' ') {
            c = '+';
        }
    }
    return terms;
}

std::int32_t WantedResultsFor(int resultsIndex) {
    constexpr std::array<std::int32_t, 6> kWanted = {100, 200, 500, 1000, 5000, 10000};
    if (resultsIndex < 0 || resultsIndex >= static_cast<int>(kWanted.size())) {
        return 100;
    }
    return kWanted[static_cast<std::size_t>(resultsIndex)];
}

std::string EngineListText(int engineIndex, bool secureWeb) {
    if (secureWeb) {
        const std::vector<std::string> texts = EngineListTexts(true);
        if (engineIndex >= 0 && engineIndex < static_cast<int>(texts.size())) {
            return texts[static_cast<std::size_t>(engineIndex)];
        }
    }
    switch (engineIndex) {
    case 0:
        return "Google Search";
    case 1:
        return "Yahoo Search";
    default:
        return "Which Search Type?";
    }
}

std::string EngineFor(const std::string& engineListText) {
    return engineListText == "Yahoo Search" ? "Yahoo" : "Google";
}

} // namespace tarnwick
