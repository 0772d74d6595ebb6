// Today's search engines with the secure-web option: their list texts, first result pages, the
// wrapping of their result links, the domains they own, and the pages on which they want the user
// rather than the program. Pure rules on single-byte strings, Qt-free.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class SearchEngine { Google, Yahoo, Bing, DuckDuckGo };

// The texts of the engine list, in list order: four engines with the secure-web option, the
// classic two without it.
std::vector<std::string> EngineListTexts(bool secureWeb);
// The engine of a list text; any text not in the secure-web list gives Google.
SearchEngine SecureEngineFor(const std::string& engineListText);
// The host whose pages are the engine's result pages.
std::string_view SearchHost(SearchEngine engine);

// The phrase (Windows-1252), with " fax" when asked for, encoded as an address bar encodes a query:
// UTF-8, percent-escapes, "+" for a space.
std::string EncodeQueryTerms(const std::string& phrase, bool addFax);
// The first result page for encoded terms.
std::string SecureFirstPageAddress(SearchEngine engine, const std::string& encodedTerms);

// The target of a link an engine wrapped (Google "/url?q=" or "url=", Yahoo "/RU=…/RK=", Bing
// "ck/a?…&u=a1<base64url>", DuckDuckGo "/l/?uddg="); any other link unchanged.
std::string UnwrapResultLink(const std::string& link);
// The host of an "http://" or "https://" link in lower case, without user or port; empty for any
// other scheme or a link without a host.
std::string LinkHost(std::string_view link);
// Whether a registrable domain belongs to the engine itself.
bool IsEngineOwned(SearchEngine engine, const std::string& registrableDomain);

// The registrable domain a result link counts as, or empty when it does not count: not http or
// https, no registrable domain, or owned by the engine. Unwraps first.
std::string ResultDomain(SearchEngine engine, const std::string& link);

// A page is a result page of the engine only when none of this holds; otherwise it is a consent,
// "unusual traffic" or challenge page that needs the user.
struct PageSigns {
    std::string location;        // the address shown
    int httpStatus = 0;          // 0 when unknown
    bool holdsChallenge = false; // see HoldsChallenge (PageControls.h)
};
bool NeedsUser(SearchEngine engine, const PageSigns& page);

// The pause before the next result page, in milliseconds: the "searchPause" setting (seconds,
// "8" when missing or not a number, at most an hour) times a factor between 0.5 and 1.5 drawn from
// `uniform` in [0, 1]; "0" or less gives no pause.
int PauseMilliseconds(const std::string& searchPause, double uniform);
// Whole seconds shown for a pause, rounded up.
int PauseSecondsShown(int milliseconds);

// Percent-decodes once; a "%" not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text);
// base64url (also plain base64) with or without padding; nothing for an invalid text.
std::optional<std::string> DecodeBase64Url(std::string_view text);

} // namespace tarnwick
