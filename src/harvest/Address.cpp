// Addresses and requests of the page fetcher.
#include "harvest/Address.h"

#include "harvest/TextPasses.h"

namespace tarnwick {

HostPath SplitAddress(const std::string& strURL) {
    std::string url = strURL;
    if (!url.empty() && url.back() == '/') {
        url.pop_back();
    }
    url = ReplaceAll(url, "http://", "", LetterCase::Ignore);

    HostPath result;
    const std::size_t slash = url.find('/');
    if (slash == std::string::npos) {
        result.host = url;
        result.path = "/";
    } else {
        // Every occurrence of the host text is cut, not only the leading one.
        result.host = url.substr(0, slash + 1);
        result.path = ReplaceAll(url, result.host, "", LetterCase::Exact);
    }
    result.host = ReplaceAll(result.host, "/", "", LetterCase::Exact);
    if (result.path.empty()) {
        result.path = "/";
    } else if (result.path.front() != '/') {
        result.path.insert(0, 1, '/');
    }
    return result;
}

std::string EscapeRequestPath(const std::string& path) {
    return PercentEscaped(path, [](unsigned char byte) { return byte <= 0x20 || byte >= 0x7F; });
}

std::string BuildRequest(const std::string& host, const std::string& path) {
    return "GET " + EscapeRequestPath(path) + " HTTP/1.1\r\n" + "Host: " + host + "\r\n" +
           "Connection: close\r\n" + "Accept: */*\r\n" + "\r\n";
}

// "Tarnwick" is the product token robots.txt groups are matched by, so the name stays that word
// whatever the branding says.
std::string CrawlerUserAgent() {
    return std::string("Tarnwick/") + TARNWICK_VERSION + " (+https://" + TARNWICK_WEBSITE_ADDRESS + ")";
}

// Built on the classic request so that whatever that request does to host and path holds here too.
std::string BuildPoliteRequest(const std::string& host, const std::string& path) {
    std::string request = BuildRequest(host, path);
    const std::size_t hostLine = request.find("\r\nHost: ") + 2;
    request.insert(request.find("\r\n", hostLine) + 2,
                   "User-Agent: " + CrawlerUserAgent() + "\r\nAccept-Encoding: gzip\r\n");
    return request;
}

std::string StripHeader(const std::string& page) {
    const std::size_t blankLine = page.find("\r\n\r\n");
    const std::string header =
        blankLine == std::string::npos ? page.substr(0, 3) : page.substr(0, blankLine + 4);
    return ReplaceAll(page, header, "", LetterCase::Ignore);
}

} // namespace tarnwick
