// Result-page addresses and result-domain extraction.
#include "listbuilder/ResultLinks.h"

#include "harvest/PageFiles.h"
#include "text/Cp1252.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tarnwick {

namespace {

constexpr std::string_view kGoogleHost = "www.google.com";
constexpr std::string_view kYahooHost = "search.yahoo.com";
constexpr std::string_view kScheme = "http://";

// Links into the engines themselves; lower case, compared ignoring case.
constexpr std::array<std::string_view, 3> kEngineFragments = {"yahoo.com", "google.com", "yimg"};
constexpr std::array<std::string_view, 12> kExtensions = {"com", "org", "net", "gov", "Com", "Org",
                                                          "Net", "Gov", "COM", "ORG", "NET", "GOV"};

bool IsGoogle(const std::string& engine) {
    return engine != "Yahoo";
}

std::string GoogleAddress(const std::string& searchTerms, std::int64_t start) {
    std::string address(kScheme);
    address += kGoogleHost;
    address += "/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=";
    address += std::to_string(start);
    address += "&sa=N&q=";
    address += searchTerms;
    return address;
}

std::string YahooAddress(const std::string& searchTerms, std::int32_t pagePosition) {
    std::string address(kScheme);
    address += kYahooHost;
    address += "/search/dir?h=s&xargs=0&p=";
    address += searchTerms;
    address += "&b=";
    address += std::to_string(pagePosition);
    return address;
}

// Puts a line break before every link, writing the scheme in lower case.
std::string BreakBeforeLinks(const std::string& pageHtml) {
    const std::string lowered = LowerAsciiCopy(pageHtml);
    std::string out;
    out.reserve(pageHtml.size() + pageHtml.size() / 16);
    std::size_t from = 0;
    for (std::size_t at = lowered.find(kScheme); at != std::string::npos; at = lowered.find(kScheme, from)) {
        out.append(pageHtml, from, at - from);
        out += "\r\n";
        out += kScheme;
        from = at + kScheme.size();
    }
    out.append(pageHtml, from, std::string::npos);
    return out;
}

bool IsCandidate(std::string_view line) {
    if (line.empty() || !line.starts_with(kScheme)) {
        return false;
    }
    const std::string lowered = LowerAsciiCopy(line);
    for (std::string_view fragment : kEngineFragments) {
        if (lowered.find(fragment) != std::string::npos) {
            return false;
        }
    }
    return lowered.find(".org") != std::string::npos || lowered.find(".net") != std::string::npos ||
           lowered.find(".com") != std::string::npos;
}

// The name and extension of a three-label host, or empty when the line does not reduce to one.
std::string ReduceToDomain(std::string_view line) {
    std::string text(line);
    text.erase(text.find(kScheme), kScheme.size());
    std::erase_if(text, [](char c) { return c == '"' || c == ' ' || c == '\''; });
    if (const std::size_t gt = text.find('>'); gt != std::string::npos) {
        text.resize(gt);
    }
    if (const std::size_t slash = text.find('/'); slash != std::string::npos) {
        text.resize(slash);
    }
    if (const std::size_t dot = text.find('.'); dot != std::string::npos) {
        text.erase(0, dot + 1);
    }
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos) {
        return {};
    }
    const std::string_view extension = std::string_view(text).substr(dot + 1);
    if (std::find(kExtensions.begin(), kExtensions.end(), extension) == kExtensions.end()) {
        return {};
    }
    return text;
}

} // namespace

std::string FirstPageAddress(const std::string& engine, const std::string& searchTerms) {
    return IsGoogle(engine) ? GoogleAddress(searchTerms, 0) : YahooAddress(searchTerms, 1);
}

std::string NextPageAddress(const std::string& engine, const std::string& searchTerms,
                            std::int32_t pagePosition) {
    return IsGoogle(engine) ? GoogleAddress(searchTerms, std::int64_t{pagePosition} - 1)
                            : YahooAddress(searchTerms, pagePosition);
}

std::vector<std::string> ExtractResultDomains(const std::string& pageHtml, std::string& foundText) {
    std::vector<std::string> accepted;
    // Repeats are found in a lower-case copy kept in step with foundText.
    std::string foundLower = LowerAsciiCopy(foundText);
    const std::string text = BreakBeforeLinks(pageHtml);
    for (std::string_view line : SplitReaderLines(text)) {
        if (!IsCandidate(line)) {
            continue;
        }
        std::string domain = ReduceToDomain(line);
        if (domain.empty()) {
            continue;
        }
        const std::string domainLower = LowerAsciiCopy(domain);
        if (domain.find('<') != std::string::npos || foundLower.find(domainLower) != std::string::npos ||
            domain == "ttp:.com" || domain == " ttp:.com" ||
            domainLower.find("mailto:") != std::string::npos) {
            continue;
        }
        foundText += domain;
        foundLower += domainLower;
        accepted.push_back(std::move(domain));
    }
    return accepted;
}

} // namespace tarnwick
