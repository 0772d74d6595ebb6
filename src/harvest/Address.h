// Addresses and requests of the page fetcher: splitting a queued website into host and
// path, the exact GET request, and cutting the response header off a finished download.
#pragma once

#include <string>

namespace tarnwick {

struct HostPath {
    std::string host;
    std::string path;
};

// Cleans a queued address (one closing "/" and every "http://" dropped) and splits it into
// the host to connect to and the path to request.
HostPath SplitAddress(const std::string& strURL);

// The path with every byte that cannot stand in a request line (control bytes, space, DEL and
// every byte from 0x80) written as "%" and two hexadecimal digits; "%" itself stays.
std::string EscapeRequestPath(const std::string& path);

// The request bytes sent once a connection is established; the path is escaped, so nothing a
// page wrote can end the request line or add a line of its own.
std::string BuildRequest(const std::string& host, const std::string& path);

// The name the crawler gives: "Tarnwick/<version> (+https://<website address>)".
std::string CrawlerUserAgent();

// The request of the secure web: the lines above, with the crawler's name and the offer of a
// gzip body after "Host:".
std::string BuildPoliteRequest(const std::string& host, const std::string& path);

// The page of a finished download: the text up to the first blank line (or, without one, the
// first three characters) is removed everywhere it occurs, in any letter case.
std::string StripHeader(const std::string& page);

} // namespace tarnwick
