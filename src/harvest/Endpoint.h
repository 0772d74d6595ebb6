// Where the download of a host connects; production connects to the host itself, tests and
// benchmarks to a loopback fixture.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <string>

namespace tarnwick {

// Where a host name is connected: production answers {host, 80}, tests a loopback fixture.
struct Endpoint {
    QString host;
    quint16 port = 80;
};
using EndpointResolver = std::function<Endpoint(const std::string& host)>;

} // namespace tarnwick
