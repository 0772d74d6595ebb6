// An in-process web on loopback for tests and benchmarks: serves pages by host and path on its
// own thread, records the exact request bytes, and can misbehave in the ways real servers do.
#pragma once

#include <QtGlobal>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::test {

// How a host answers once it has read a request.
enum class Hostility {
    None,             // the response, then close
    Silent,           // reads the request, sends nothing, never closes
    Drip,             // the response one byte per drip interval, then close
    NeverClose,       // the whole response, then keeps the connection open
    Huge,             // a header and 100 MB of body, streamed as the client reads, then close
    Garbage,          // 64 KB of binary noise, then close
    HeaderWithoutEnd, // header lines that never reach the blank line, then close
    Reset,            // a few bytes of a response, then a TCP reset
};

struct RecordedRequest {
    std::string host;    // the value of the "Host" line, as sent
    std::string path;    // the path of the request line
    std::string bytes;   // everything received up to and including the blank line
    bool secure = false; // received over TLS
};

// Full response bytes for a host and path, or nothing for "404 Not Found". Called on the server
// thread, so it must not touch test state without its own locking.
using ResponseGenerator =
    std::function<std::optional<std::string>(const std::string& host, const std::string& path)>;

class FixtureWeb final {
public:
    static constexpr std::int64_t kHugeBodyBytes = 100LL * 1024 * 1024;

    // With `tls`, a second port speaks TLS with a certificate of the test authority
    // (TestCertificates.h) and serves the same pages.
    explicit FixtureWeb(bool tls = false);
    ~FixtureWeb();
    FixtureWeb(const FixtureWeb&) = delete;
    FixtureWeb& operator=(const FixtureWeb&) = delete;

    quint16 Port() const;
    quint16 SecurePort() const; // 0 without TLS

    // "HTTP/1.1 200 OK" with Content-Length and the body; host names compare without letter case.
    void SetPage(const std::string& host, const std::string& path, const std::string& body);
    void SetResponse(const std::string& host, const std::string& path, std::string response);
    void SetGenerator(ResponseGenerator generator); // asked when no page is set
    void SetHostility(const std::string& host, Hostility hostility);
    void SetDripInterval(std::chrono::milliseconds interval);

    std::vector<RecordedRequest> Requests() const;
    std::size_t RequestCount() const;
    bool WasRequested(const std::string& host, const std::string& path) const;
    bool WasRequestedSecure(const std::string& host, const std::string& path) const;
    int OpenConnections() const;    // accepted and not yet closed by either side
    std::int64_t BytesSent() const; // body and header bytes written to clients

    static std::string OkResponse(const std::string& body);

    struct Shared; // state the test's thread and the server thread share

private:
    class Server;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<Server> server_;
    quint16 port_ = 0;
    quint16 securePort_ = 0;
};

} // namespace tarnwick::test
