// The download of one slot. Plain http keeps the fetcher's historic rules byte for byte: the
// page ends when the server closes, the header is cut as the text before the first blank line.
#include "harvest/Download.h"

#include "harvest/Address.h"
#include "harvest/AnsiBytes.h"
#include "harvest/GzipBody.h"
#include "harvest/HostCheck.h"

#include <QHostInfo>
#include <QMetaObject>
#include <QNetworkProxy>
#include <QSslSocket>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace tarnwick {

namespace {

// A header that has not ended after this many bytes is not one.
constexpr std::size_t kHeadCap = 64u * 1024u;

std::int16_t Tick(std::int16_t value) {
    return value < std::numeric_limits<std::int16_t>::max() ? static_cast<std::int16_t>(value + 1) : value;
}

// The value of a "Content-Length" header line as a 32-bit number: the text after the first
// space, blanks around it allowed; 0 when it is not a whole number in range.
std::int32_t ContentLengthOf(std::string_view line) {
    const std::size_t space = line.find(' ');
    std::string_view rest = space == std::string_view::npos ? line : line.substr(space + 1);
    while (!rest.empty() && rest.front() == ' ') {
        rest.remove_prefix(1);
    }
    while (!rest.empty() && rest.back() == ' ') {
        rest.remove_suffix(1);
    }
    bool negative = false;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (rest.empty()) {
        return 0;
    }
    std::int64_t value = 0;
    for (const char c : rest) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) {
            return 0;
        }
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

// The first header line naming "Content-Length" (exact case) decides; later ones are not read.
std::int32_t ContentLengthOfHeader(std::string_view header) {
    std::size_t start = 0;
    while (start <= header.size()) {
        const std::size_t end = std::min(header.find("\r\n", start), header.size());
        const std::string_view line = header.substr(start, end - start);
        if (line.find("Content-Length") != std::string_view::npos) {
            return ContentLengthOf(line);
        }
        start = end + 2;
    }
    return 0;
}

// The address a host text names without asking a resolver: an IPv4 literal in any form the
// system resolver reads ("127.1", "2130706433", "0x7f.1") or an IPv6 literal, brackets allowed.
std::optional<QHostAddress> LiteralAddress(const QString& host) {
    if (const std::optional<std::uint32_t> v4 = ParseIpv4Literal(host.toStdString())) {
        return QHostAddress(*v4);
    }
    QString bare = host;
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']'))) {
        bare = bare.mid(1, bare.size() - 2);
    }
    QHostAddress address;
    if (address.setAddress(bare)) {
        return address;
    }
    return std::nullopt;
}

// Inside the user's own network, or of a kind no public web server has.
bool IsPrivateAddress(const QHostAddress& address) {
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        return IsPrivateIpv4(address.toIPv4Address());
    }
    if (address.protocol() != QAbstractSocket::IPv6Protocol) {
        return true;
    }
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::array<std::uint8_t, 16> v6{};
    std::copy(std::begin(bytes.c), std::end(bytes.c), v6.begin());
    return IsPrivateIpv6(v6);
}

} // namespace

Download::Download(const DownloadRoutes& routes, QObject* parent)
    : QObject(parent)
    , routes_(routes)
    , socket_(std::make_unique<QSslSocket>())
    , timer_(std::make_unique<QTimer>()) {
    // Crawled hosts are reached directly, whatever proxy the desktop names.
    socket_->setProxy(QNetworkProxy::NoProxy);
    tls_ = QSslConfiguration::defaultConfiguration();
    tls_.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!routes_.trustedAuthorities.isEmpty()) {
        tls_.setCaCertificates(routes_.trustedAuthorities);
    }
    socket_->setSslConfiguration(tls_);
    timer_->setInterval(tickMs_);
    connect(socket_.get(), &QSslSocket::connected, this, &Download::OnConnected);
    connect(socket_.get(), &QSslSocket::encrypted, this, &Download::OnEncrypted);
    connect(socket_.get(), &QSslSocket::readyRead, this, &Download::OnReadyRead);
    connect(socket_.get(), &QSslSocket::disconnected, this, &Download::OnDisconnected);
    connect(socket_.get(), &QSslSocket::errorOccurred, this, &Download::OnError);
    connect(socket_.get(), &QSslSocket::sslErrors, this, &Download::OnSslErrors);
    connect(timer_.get(), &QTimer::timeout, this, &Download::OnTick);
}

Download::~Download() {
    socket_->disconnect(this);
    timer_->stop();
    socket_->abort();
}

void Download::SetTimeouts(std::int16_t idleTicks, std::int16_t totalTicks) {
    idleLimit_ = idleTicks;
    totalLimit_ = totalTicks;
}

void Download::SetTickInterval(int milliseconds) {
    tickMs_ = std::max(1, milliseconds);
    timer_->setInterval(tickMs_);
}

void Download::SetAllowPrivateAddresses(bool allow) {
    allowPrivate_ = allow;
}

void Download::SetBodyCap(std::size_t bytes) {
    bodyCap_ = std::min(bytes, kPageCap);
}

void Download::Start(const std::string& host, const std::string& path, bool secureWeb) {
    secureWeb_ = secureWeb;
    fallbackLeft_ = secureWeb;
    redirects_ = 0;
    url_ = WebUrl{secureWeb, host, path};
    totalTicks_ = 0;
    timer_->start(tickMs_);
    Connect();
}

void Download::Abort() {
    ++hop_;
    stage_ = Stage::Idle;
    timer_->stop();
    if (lookupId_ >= 0) {
        QHostInfo::abortHostLookup(lookupId_);
        lookupId_ = -1;
    }
    socket_->abort();
}

void Download::ResetResponse() {
    idleTicks_ = 0;
    std::string().swap(data_);
    std::string().swap(body_);
    bytes_ = 0;
    length_ = 0;
    headerDone_ = false;
    headerScanFrom_ = 0;
    head_ = ResponseHead{};
    retryAfter_.clear();
    contentEncoding_.clear();
    chunks_ = ChunkedDecoder{};
    addresses_.clear();
    addressIndex_ = 0;
    tcpConnected_ = false;
    certificatePresented_ = false;
    if (lookupId_ >= 0) {
        QHostInfo::abortHostLookup(lookupId_);
        lookupId_ = -1;
    }
}

// Every connection resolves its host first and checks each address it resolved to, so that a
// page or a redirect cannot make the crawler reach into the user's own network under any name.
void Download::Connect() {
    ++hop_;
    ResetResponse();
    stage_ = Stage::Idle;
    socket_->abort();
    stage_ = Stage::Connecting;
    if (!IsValidHostText(url_.host)) {
        Later(&Download::GiveUpUnreachable);
        return;
    }
    const EndpointResolver& resolve = url_.https ? routes_.secure : routes_.plain;
    // The classic crawl connects to port 80 only, whatever port a link names.
    const std::uint16_t named = secureWeb_ ? HostPort(url_.host) : 0;
    const std::uint16_t port = named != 0 ? named : (url_.https ? 443 : 80);
    std::string name = HostName(url_.host);
    if (name.size() >= 2 && name.front() == '[') {
        name = name.substr(1, name.size() - 2);
    }
    const Endpoint endpoint = resolve ? resolve(name) : Endpoint{AnsiToQString(name), port};
    port_ = endpoint.port;
    peerName_ = AnsiToQString(name);
    Lookup(endpoint.host);
}

// Answers from the event loop in every case: a literal at once, a name when the resolver has it.
void Download::Lookup(const QString& host) {
    const std::uint64_t hop = hop_;
    if (const std::optional<QHostAddress> literal = LiteralAddress(host)) {
        const QList<QHostAddress> addresses{*literal};
        QMetaObject::invokeMethod(
            this,
            [this, hop, addresses] {
                if (hop_ == hop) {
                    Resolved(addresses);
                }
            },
            Qt::QueuedConnection);
        return;
    }
    lookupId_ = QHostInfo::lookupHost(host, this, [this, hop](const QHostInfo& info) {
        if (hop_ != hop) {
            return;
        }
        lookupId_ = -1;
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
            LookupFailed();
        } else {
            Resolved(info.addresses());
        }
    });
}

void Download::Resolved(const QList<QHostAddress>& addresses) {
    if (stage_ != Stage::Connecting) {
        return;
    }
    if (!allowPrivate_ && std::any_of(addresses.begin(), addresses.end(), IsPrivateAddress)) {
        GiveUpUnreachable(); // skipped at once, like a host that refuses
        return;
    }
    addresses_ = addresses;
    addressIndex_ = 0;
    ConnectToCandidate();
}

// An unknown name: on the secure web it may still have an http answer; the classic crawl notices
// nothing but the time-outs.
void Download::LookupFailed() {
    if (secureWeb_) {
        ConnectFailed();
    }
}

void Download::NextCandidate() {
    ++addressIndex_;
    stage_ = Stage::Idle;
    socket_->abort();
    stage_ = Stage::Connecting;
    ConnectToCandidate();
}

void Download::ConnectToCandidate() {
    tcpConnected_ = false;
    const QHostAddress& address = addresses_.at(addressIndex_);
    if (url_.https) {
        socket_->connectToHostEncrypted(address.toString(), port_, peerName_);
    } else {
        socket_->connectToHost(address, port_);
    }
}

void Download::OnConnected() {
    tcpConnected_ = true;
    if (stage_ == Stage::Connecting && !url_.https) {
        SendRequest();
    }
}

void Download::OnEncrypted() {
    if (stage_ == Stage::Connecting && url_.https) {
        SendRequest();
    }
}

void Download::SendRequest() {
    stage_ = Stage::Receiving;
    emit requestSent();
    const std::string request =
        secureWeb_ ? BuildPoliteRequest(url_.host, url_.path) : BuildRequest(url_.host, url_.path);
    socket_->write(request.data(), static_cast<qint64>(request.size()));
}

void Download::OnReadyRead() {
    if (stage_ != Stage::Receiving && !(stage_ == Stage::Connecting && !secureWeb_)) {
        return;
    }
    idleTicks_ = 0;
    if (secureWeb_) {
        ReadSecure(socket_->readAll());
    } else {
        ReadPlain(socket_->read(static_cast<qint64>(kPageCap - data_.size())));
    }
}

void Download::ReadPlain(const QByteArray& chunk) {
    data_.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    bytes_ += chunk.size();
    emit progress(bytes_, length_);
    if (!headerDone_) {
        const std::size_t end = data_.find("\r\n\r\n", headerScanFrom_);
        if (end == std::string::npos) {
            headerScanFrom_ = data_.size() >= 3 ? data_.size() - 3 : 0;
        } else {
            headerDone_ = true;
            bytes_ -= static_cast<std::int64_t>(end + 4);
            length_ = ContentLengthOfHeader(std::string_view(data_).substr(0, end));
        }
    }
    if (data_.size() >= kPageCap) {
        Finish(Outcome::Page);
    }
}

void Download::ReadSecure(const QByteArray& chunk) {
    const std::string_view bytes(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    bytes_ += static_cast<std::int64_t>(bytes.size());
    if (headerDone_) {
        AppendBody(bytes);
    } else {
        data_.append(bytes);
        if (const std::optional<HeadEnd> end = FindHeadEnd(data_, headerScanFrom_)) {
            HeadArrived(*end);
        } else if (data_.size() >= kHeadCap) {
            Finish(Outcome::Failed); // a header that never ends is not a response
        } else {
            headerScanFrom_ = HeadSearchResume(data_);
        }
    }
    if (stage_ == Stage::Receiving) {
        emit progress(bytes_, length_);
    }
}

void Download::HeadArrived(const HeadEnd& end) {
    headerDone_ = true;
    const std::string_view headText = std::string_view(data_).substr(0, end.head);
    head_ = ParseResponseHead(headText);
    retryAfter_ = HeaderValue(headText, "Retry-After");
    contentEncoding_ = HeaderValue(headText, "Content-Encoding");
    const std::string rest = data_.substr(end.body);
    std::string().swap(data_);
    bytes_ = static_cast<std::int64_t>(rest.size());
    if (IsRedirectStatus(head_.status)) {
        if (const std::optional<WebUrl> target = ResolveUrl(head_.location, url_)) {
            stage_ = Stage::Idle;
            socket_->abort();
            if (url_.https && !target->https) {
                // Following it would hand the page to whoever can rewrite plain traffic.
                Later(&Download::GiveUpFailed);
            } else {
                Later(++redirects_ > kMaxRedirects ? &Download::GiveUpRedirects : &Download::FollowRedirect);
            }
            return;
        }
    }
    length_ = head_.chunked ? 0 : std::max<std::int64_t>(head_.length, 0);
    AppendBody(rest);
}

void Download::AppendBody(std::string_view bytes) {
    if (head_.chunked) {
        chunks_.Feed(bytes, body_, bodyCap_);
        if (chunks_.Ended()) {
            Finish(chunks_.Failed() ? Outcome::Failed : Outcome::Page);
        }
        return;
    }
    body_.append(bytes.substr(0, std::min(bytes.size(), bodyCap_ - body_.size())));
    const bool complete = head_.length >= 0 && body_.size() >= static_cast<std::uint64_t>(head_.length);
    if (complete || body_.size() >= bodyCap_) {
        if (complete) {
            body_.resize(static_cast<std::size_t>(head_.length));
        }
        Finish(Outcome::Page);
    }
}

// On the secure web a response the server cut short is not a page: its header never ended, its
// body stopped before the announced length, or its chunks before the last one.
void Download::ClosedBySecureServer() {
    const bool complete =
        headerDone_ &&
        (head_.chunked ? chunks_.Ended() && !chunks_.Failed()
                       : head_.length < 0 || body_.size() >= static_cast<std::uint64_t>(head_.length));
    Finish(complete ? Outcome::Page : Outcome::Failed);
}

void Download::OnDisconnected() {
    if (stage_ == Stage::Receiving || (stage_ == Stage::Connecting && !secureWeb_)) {
        if (secureWeb_ && socket_->bytesAvailable() > 0) {
            ReadSecure(socket_->readAll());
        }
        if (stage_ == Stage::Receiving && secureWeb_) {
            ClosedBySecureServer();
        } else if (stage_ == Stage::Receiving || stage_ == Stage::Connecting) {
            Finish(Outcome::Page);
        }
    } else if (stage_ == Stage::Connecting) {
        ConnectFailed();
    }
}

// Plain downloads ignore socket errors, but for trying the host's next address; only the
// time-outs end them.
void Download::OnError() {
    if (!secureWeb_) {
        if (stage_ == Stage::Connecting && !tcpConnected_ && addressIndex_ + 1 < addresses_.size()) {
            Later(&Download::NextCandidate);
        }
        return;
    }
    if (stage_ == Stage::Connecting) {
        ConnectFailed();
    } else if (stage_ == Stage::Receiving && socket_->error() != QAbstractSocket::RemoteHostClosedError) {
        OnDisconnected(); // a connection that breaks is a page that ended early
    }
}

void Download::OnSslErrors() {
    certificatePresented_ = true;
}

// Another address of the host is tried when this one refused. Plain http is tried only when
// https never got as far as a certificate: a certificate that fails its check is what someone
// between the user and the server shows, and falling back would hand them the page.
void Download::ConnectFailed() {
    stage_ = Stage::Idle;
    socket_->abort();
    if (!tcpConnected_ && addressIndex_ + 1 < addresses_.size()) {
        Later(&Download::NextCandidate);
        return;
    }
    const bool fallback = url_.https && fallbackLeft_ && !certificatePresented_;
    Later(fallback ? &Download::Fallback : &Download::GiveUpUnreachable);
}

// Steps that reconnect or end the download run from the event loop, never inside the socket's
// own signal; a later start or abort makes them void.
void Download::Later(void (Download::*step)()) {
    const std::uint64_t hop = hop_;
    QMetaObject::invokeMethod(
        this,
        [this, hop, step] {
            if (hop_ == hop) {
                (this->*step)();
            }
        },
        Qt::QueuedConnection);
}

void Download::Fallback() {
    fallbackLeft_ = false;
    url_.https = false;
    emit hopStarted();
    Connect();
}

void Download::FollowRedirect() {
    if (const std::optional<WebUrl> target = ResolveUrl(head_.location, url_)) {
        url_ = *target;
        fallbackLeft_ = false;
        emit hopStarted();
        Connect();
    }
}

void Download::GiveUpUnreachable() {
    Finish(Outcome::Unreachable);
}

void Download::GiveUpRedirects() {
    Finish(Outcome::TooManyRedirects);
}

void Download::GiveUpFailed() {
    Finish(Outcome::Failed);
}

void Download::OnTick() {
    if (stage_ != Stage::Connecting && stage_ != Stage::Receiving) {
        // Between hops of a secure download the clock runs on; otherwise it has nothing to time.
        if (stage_ != Stage::Idle || !secureWeb_) {
            timer_->stop();
            return;
        }
    }
    idleTicks_ = Tick(idleTicks_);
    bool due = idleTicks_ >= idleLimit_;
    if (!due) {
        totalTicks_ = Tick(totalTicks_);
        due = totalTicks_ >= totalLimit_;
    }
    if (due) {
        Abort();
        emit finished(Outcome::TimedOut);
    }
}

void Download::Finish(Outcome outcome) {
    if (outcome == Outcome::Page && secureWeb_ && IsGzipEncoding(contentEncoding_)) {
        outcome = DecodeContent();
    }
    ++hop_;
    stage_ = Stage::Done;
    timer_->stop();
    // What the server still sends is not read: the page ends here.
    if (socket_->state() != QAbstractSocket::UnconnectedState) {
        socket_->abort();
    }
    emit finished(outcome);
}

// A gzip body becomes the page it encodes, cut at the page cap; one that is corrupt or ends
// inside a member is not a page.
Download::Outcome Download::DecodeContent() {
    GzipBody decoded = DecodeGzip(body_, bodyCap_);
    if (decoded.end != GzipEnd::Whole && decoded.end != GzipEnd::TooLarge) {
        return Outcome::Failed;
    }
    body_ = std::move(decoded.text);
    return Outcome::Page;
}

std::string Download::TakePage() {
    if (secureWeb_) {
        socket_->abort();
        std::string page;
        page.swap(body_);
        return page;
    }
    // What arrived together with the close is still in the socket's buffer.
    if (socket_->bytesAvailable() > 0 && data_.size() < kPageCap) {
        const QByteArray rest = socket_->read(static_cast<qint64>(kPageCap - data_.size()));
        data_.append(rest.constData(), static_cast<std::size_t>(rest.size()));
    }
    socket_->abort();
    std::string page = StripHeader(data_);
    std::string().swap(data_);
    return page;
}

} // namespace tarnwick
