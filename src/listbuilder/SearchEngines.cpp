// Today's engines: list texts, first pages, link unwrapping, owned domains and pages for the user.
#include "listbuilder/SearchEngines.h"

#include "listbuilder/PublicSuffix.h"
#include "text/Cp1252.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace tarnwick {

namespace {

struct EngineFacts {
    SearchEngine engine;
    std::string_view listText;
    std::string_view host;
    std::string_view firstPage; // the encoded terms follow, then `afterTerms`
    std::string_view afterTerms;
    // The engine's own domains; "google.*" stands for google under every public suffix.
    std::array<std::string_view, 6> owned;
};

// The one table of the engines: change an engine's address or its own domains here.
constexpr std::array<EngineFacts, 4> kEngines = {{
    {SearchEngine::Google,
     "Google Search",
     "www.google.com",
     "https://www.google.com/search?q=",
     "&hl=en&filter=0",
     {"google.*", "googleusercontent.com", "gstatic.com", "youtube.com", "googleadservices.com",
      "doubleclick.net"}},
    {SearchEngine::Yahoo,
     "Yahoo Search",
     "search.yahoo.com",
     "https://search.yahoo.com/search?p=",
     "",
     {"yahoo.com", "yahoo.net", "yimg.com", "aol.com"}},
    {SearchEngine::Bing,
     "Bing Search",
     "www.bing.com",
     "https://www.bing.com/search?q=",
     "",
     {"bing.com", "bing.net", "microsoft.com", "msn.com", "live.com"}},
    {SearchEngine::DuckDuckGo,
     "DuckDuckGo Search",
     "html.duckduckgo.com",
     "https://html.duckduckgo.com/html/?q=",
     "",
     {"duckduckgo.com"}},
}};

constexpr std::size_t kClassicEngines = 2;

const EngineFacts& Facts(SearchEngine engine) {
    return *std::find_if(kEngines.begin(), kEngines.end(),
                         [engine](const EngineFacts& facts) { return facts.engine == engine; });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && LowerAsciiCopy(text.substr(0, prefix.size())) == prefix;
}

// The part of a link between its scheme's "//" and the first "/", "?" or "#".
std::string_view Authority(std::string_view link) {
    std::size_t start = 0;
    if (StartsWithIgnoringCase(link, "http://")) {
        start = 7;
    } else if (StartsWithIgnoringCase(link, "https://")) {
        start = 8;
    } else {
        return {};
    }
    const std::size_t end = link.find_first_of("/?#\\", start);
    return link.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The path and query of an http(s) link (from the first "/" after the host), without a fragment.
std::string_view PathAndQuery(std::string_view link) {
    const std::string_view authority = Authority(link);
    if (authority.empty()) {
        return {};
    }
    std::string_view rest =
        link.substr(static_cast<std::size_t>(authority.data() - link.data()) + authority.size());
    if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
        rest = rest.substr(0, hash);
    }
    return rest;
}

// The raw value of a query parameter, or nothing.
std::optional<std::string_view> QueryValue(std::string_view pathAndQuery, std::string_view name) {
    const std::size_t question = pathAndQuery.find('?');
    if (question == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view query = pathAndQuery.substr(question + 1);
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=') {
            return pair.substr(name.size() + 1);
        }
        if (amp == std::string_view::npos) {
            break;
        }
        query = query.substr(amp + 1);
    }
    return std::nullopt;
}

bool IsHttpLink(std::string_view link) {
    return StartsWithIgnoringCase(link, "http://") || StartsWithIgnoringCase(link, "https://");
}

std::string DomainOf(std::string_view link) {
    return RegistrableDomain(LinkHost(link));
}

bool IsGoogleDomain(const std::string& domain) {
    return domain.starts_with("google.");
}

std::optional<std::string> UnwrapGoogle(std::string_view path) {
    if (!path.starts_with("/url?")) {
        return std::nullopt;
    }
    for (const std::string_view name : {"q", "url"}) {
        if (const auto value = QueryValue(path, name)) {
            std::string target = PercentDecode(*value);
            if (IsHttpLink(target)) {
                return target;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> UnwrapYahoo(std::string_view path) {
    const std::size_t ru = path.find("/RU=");
    if (ru == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view rest = path.substr(ru + 4);
    const std::size_t end = std::min(rest.find("/RK="), rest.find("/RS="));
    return PercentDecode(rest.substr(0, end));
}

std::optional<std::string> UnwrapBing(std::string_view path) {
    if (!path.starts_with("/ck/a?")) {
        return std::nullopt;
    }
    const auto value = QueryValue(path, "u");
    if (!value || !value->starts_with("a1")) {
        return std::nullopt;
    }
    return DecodeBase64Url(value->substr(2));
}

std::optional<std::string> UnwrapDuckDuckGo(std::string_view path) {
    if (!path.starts_with("/l/")) {
        return std::nullopt;
    }
    const auto value = QueryValue(path, "uddg");
    if (!value) {
        return std::nullopt;
    }
    return PercentDecode(*value);
}

} // namespace

std::vector<std::string> EngineListTexts(bool secureWeb) {
    std::vector<std::string> texts;
    const std::size_t count = secureWeb ? kEngines.size() : kClassicEngines;
    for (std::size_t i = 0; i < count; ++i) {
        texts.emplace_back(kEngines[i].listText);
    }
    return texts;
}

SearchEngine SecureEngineFor(const std::string& engineListText) {
    for (const EngineFacts& facts : kEngines) {
        if (facts.listText == engineListText) {
            return facts.engine;
        }
    }
    return SearchEngine::Google;
}

std::string_view SearchHost(SearchEngine engine) {
    return Facts(engine).host;
}

std::string EncodeQueryTerms(const std::string& phrase, bool addFax) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::string utf8 = Cp1252ToUtf8(addFax ? phrase + " fax" : phrase);
    std::string out;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            byte == '-' || byte == '.' || byte == '_' || byte == '*') {
            out += c;
        } else if (byte == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string SecureFirstPageAddress(SearchEngine engine, const std::string& encodedTerms) {
    const EngineFacts& facts = Facts(engine);
    return std::string(facts.firstPage) + encodedTerms + std::string(facts.afterTerms);
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
            HexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<std::string> DecodeBase64Url(std::string_view text) {
    while (!text.empty() && text.back() == '=') {
        text.remove_suffix(1);
    }
    if (text.size() % 4 == 1) {
        return std::nullopt;
    }
    std::string out;
    std::uint32_t bits = 0;
    int held = 0;
    for (const char c : text) {
        int value = -1;
        if (c >= 'A' && c <= 'Z') {
            value = c - 'A';
        } else if (c >= 'a' && c <= 'z') {
            value = c - 'a' + 26;
        } else if (c >= '0' && c <= '9') {
            value = c - '0' + 52;
        } else if (c == '-' || c == '+') {
            value = 62;
        } else if (c == '_' || c == '/') {
            value = 63;
        }
        if (value < 0) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            out += static_cast<char>((bits >> held) & 0xFF);
        }
    }
    return out;
}

std::string LinkHost(std::string_view link) {
    std::string_view authority = Authority(link);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority = authority.substr(at + 1);
    }
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        return close == std::string_view::npos ? std::string()
                                               : LowerAsciiCopy(authority.substr(0, close + 1));
    }
    return LowerAsciiCopy(authority.substr(0, authority.find(':')));
}

std::string UnwrapResultLink(const std::string& link) {
    const std::string domain = DomainOf(link);
    const std::string_view path = PathAndQuery(link);
    std::optional<std::string> target;
    if (IsGoogleDomain(domain)) {
        target = UnwrapGoogle(path);
    } else if (domain == "yahoo.com") {
        target = UnwrapYahoo(path);
    } else if (domain == "bing.com") {
        target = UnwrapBing(path);
    } else if (domain == "duckduckgo.com") {
        target = UnwrapDuckDuckGo(path);
    }
    return target ? *target : link;
}

bool IsEngineOwned(SearchEngine engine, const std::string& registrableDomain) {
    const std::string domain = LowerAsciiCopy(registrableDomain);
    for (const std::string_view owned : Facts(engine).owned) {
        if (owned.empty()) {
            continue;
        }
        if (owned == "google.*" ? IsGoogleDomain(domain) : domain == owned) {
            return true;
        }
    }
    return false;
}

std::string ResultDomain(SearchEngine engine, const std::string& link) {
    const std::string target = UnwrapResultLink(link);
    if (!IsHttpLink(target)) {
        return {};
    }
    std::string domain = DomainOf(target);
    if (domain.empty() || IsEngineOwned(engine, domain)) {
        return {};
    }
    return domain;
}

int PauseMilliseconds(const std::string& searchPause, double uniform) {
    constexpr double kDefaultSeconds = 8;
    constexpr double kLongestSeconds = 3600;
    double seconds = kDefaultSeconds;
    try {
        std::size_t used = 0;
        seconds = std::stod(searchPause, &used);
        if (used != searchPause.size() || !std::isfinite(seconds)) {
            seconds = kDefaultSeconds;
        }
    } catch (const std::exception&) {
        seconds = kDefaultSeconds;
    }
    if (seconds <= 0) {
        return 0;
    }
    seconds = std::min(seconds, kLongestSeconds);
    const double factor = 0.5 + std::clamp(uniform, 0.0, 1.0);
    return static_cast<int>(std::lround(seconds * factor * 1000));
}

int PauseSecondsShown(int milliseconds) {
    return (milliseconds + 999) / 1000;
}

bool NeedsUser(SearchEngine engine, const PageSigns& page) {
    if (page.httpStatus == 429 || page.holdsChallenge) {
        return true;
    }
    if (LinkHost(page.location) != SearchHost(engine)) {
        return true;
    }
    return PathAndQuery(page.location).starts_with("/sorry/");
}

} // namespace tarnwick
