// The download of one slot: its socket, its idle and total time-outs, the request and the
// response header. On the secure web it also tries https first (falling back to http), follows
// redirects and decodes chunked bodies; run control only decides what to fetch and what to do
// with the page.
#pragma once

#include "harvest/Endpoint.h"
#include "harvest/WebAddress.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <cstdint>
#include <memory>
#include <string>

class QSslSocket;
class QTimer;

namespace tarnwick {

struct DownloadRoutes {
    EndpointResolver plain;                    // port 80; empty: the host itself
    EndpointResolver secure;                   // port 443; empty: the host itself
    QList<QSslCertificate> trustedAuthorities; // empty: the system's
};

class Download final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Page,             // the page is ready for TakePage
        TimedOut,         // silent for the idle time-out or open for the total one
        Unreachable,      // refused, unresolvable, not a valid host, an address inside the user's own
                          // network, or an https certificate that failed, with nothing left to try
        TooManyRedirects, // the sixth redirect of one website
        Failed            // secure web: a broken response or a redirect from https to http; the
                          // website ends unscanned, its host stays reachable
    };
    static constexpr int kMaxRedirects = 5;
    // A download stops being read here and is handled as if the server had closed: one endless
    // or huge response must not exhaust memory.
    static constexpr std::size_t kPageCap = 8u * 1024u * 1024u;

    explicit Download(const DownloadRoutes& routes, QObject* parent = nullptr);
    ~Download() override;

    void SetTimeouts(std::int16_t idleTicks, std::int16_t totalTicks);
    void SetTickInterval(int milliseconds);
    // Off (the default), no connection is made to loopback, private, link-local, shared or
    // multicast addresses; on, intranets and test webs on loopback can be crawled.
    void SetAllowPrivateAddresses(bool allow);
    // Secure web: the body is read up to here (at most the page cap), and what came is the page.
    void SetBodyCap(std::size_t bytes);

    // Ends whatever was going on and fetches host + path: over plain http exactly as asked, or,
    // with `secureWeb`, over https first with redirects followed.
    void Start(const std::string& host, const std::string& path, bool secureWeb);
    // Ends whatever was going on; no signal follows.
    void Abort();

    // After finished(Page): the body, its header cut off; the connection is closed.
    std::string TakePage();

    // Of the request now made (after redirects and fallback).
    const std::string& host() const { return url_.host; }
    const std::string& path() const { return url_.path; }
    const WebUrl& url() const { return url_; }
    // Secure web, of the last response: its status (0 before one arrived) and the head values
    // the crawler acts on, trimmed ("" when absent).
    int status() const { return head_.status; }
    const std::string& retryAfter() const { return retryAfter_; }
    const std::string& contentEncoding() const { return contentEncoding_; }
    const std::string& contentType() const { return head_.contentType; }

signals:
    void requestSent();
    // Another connection of the same website begins: a fallback to http or a redirect.
    void hopStarted();
    void progress(std::int64_t bytes, std::int64_t length);
    void finished(tarnwick::Download::Outcome outcome);

private:
    enum class Stage { Idle, Connecting, Receiving, Done };

    void Connect();
    void ResetResponse();
    void Lookup(const QString& host);
    void Resolved(const QList<QHostAddress>& addresses);
    void LookupFailed();
    void ConnectToCandidate();
    void NextCandidate();
    void OnConnected();
    void OnEncrypted();
    void OnReadyRead();
    void OnDisconnected();
    void OnError();
    void OnSslErrors();
    void OnTick();
    void SendRequest();
    void ReadPlain(const QByteArray& chunk);
    void ReadSecure(const QByteArray& chunk);
    void HeadArrived(const HeadEnd& end);
    void AppendBody(std::string_view bytes);
    void ClosedBySecureServer();
    void Finish(Outcome outcome);
    Outcome DecodeContent();
    void ConnectFailed();
    void Later(void (Download::*step)());
    void FollowRedirect();
    void Fallback();
    void GiveUpUnreachable();
    void GiveUpRedirects();
    void GiveUpFailed();

    DownloadRoutes routes_;
    std::unique_ptr<QSslSocket> socket_;
    std::unique_ptr<QTimer> timer_;
    QSslConfiguration tls_;
    int tickMs_ = 1000;
    std::int16_t idleLimit_ = 10;
    std::int16_t totalLimit_ = 30;
    std::int16_t idleTicks_ = 0;
    std::int16_t totalTicks_ = 0;
    bool allowPrivate_ = false;
    std::size_t bodyCap_ = kPageCap;

    Stage stage_ = Stage::Idle;
    std::uint64_t hop_ = 0; // raised by every connection and abort; deferred steps of older ones end
    bool secureWeb_ = false;
    bool fallbackLeft_ = false;
    int redirects_ = 0;
    WebUrl url_;

    int lookupId_ = -1;
    QList<QHostAddress> addresses_; // every address the host resolved to, all of them allowed
    qsizetype addressIndex_ = 0;    // the one being connected to
    quint16 port_ = 80;
    QString peerName_;                  // the certificate must name this host
    bool tcpConnected_ = false;         // the address answered; a later failure is not its refusal
    bool certificatePresented_ = false; // and failed: never fall back to http after that

    std::string data_; // plain: everything received; secure: the header while it is incomplete
    std::string body_; // secure: the decoded body
    std::int64_t bytes_ = 0;
    std::int64_t length_ = 0;
    bool headerDone_ = false;
    std::size_t headerScanFrom_ = 0;
    ResponseHead head_;
    std::string retryAfter_;
    std::string contentEncoding_;
    ChunkedDecoder chunks_;
};

} // namespace tarnwick
