// The download of one slot. Plain http keeps the fetcher's historic rules byte for byte: the
// page ends when the server closes, the header is cut as the text before the first blank line.
#include "harvest/Download.h"

#include "harvest/Address.h"
#include "harvest/AnsiBytes.h"

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

std::int32_t ClampedLength(std::int64_t length) {
    return length < 0 ? 0
                      : static_cast<std::int32_t>(
                            std::min<std::int64_t>(length, std::numeric_limits<std::int32_t>::max()));
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
    socket_->abort();
}

void Download::Connect() {
    ++hop_;
    idleTicks_ = 0;
    std::string().swap(data_);
    std::string().swap(body_);
    bytes_ = 0;
    length_ = 0;
    headerDone_ = false;
    headerScanFrom_ = 0;
    head_ = ResponseHead{};
    chunks_ = ChunkedDecoder{};
    stage_ = Stage::Idle;
    socket_->abort();
    stage_ = Stage::Connecting;
    const EndpointResolver& resolve = url_.https ? routes_.secure : routes_.plain;
    const std::uint16_t named = HostPort(url_.host);
    const std::uint16_t port = named != 0 ? named : (url_.https ? 443 : 80);
    const std::string name = HostName(url_.host);
    const Endpoint endpoint = resolve ? resolve(name) : Endpoint{AnsiToQString(name), port};
    if (url_.https) {
        socket_->connectToHostEncrypted(endpoint.host, endpoint.port, AnsiToQString(name));
    } else {
        socket_->connectToHost(endpoint.host, endpoint.port);
    }
}

void Download::OnConnected() {
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
    const std::string request = BuildRequest(url_.host, url_.path);
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
    bytes_ += static_cast<std::int32_t>(chunk.size());
    emit progress(bytes_, length_);
    if (!headerDone_) {
        const std::size_t end = data_.find("\r\n\r\n", headerScanFrom_);
        if (end == std::string::npos) {
            headerScanFrom_ = data_.size() >= 3 ? data_.size() - 3 : 0;
        } else {
            headerDone_ = true;
            bytes_ -= static_cast<std::int32_t>(end + 4);
            length_ = ContentLengthOfHeader(std::string_view(data_).substr(0, end));
        }
    }
    if (data_.size() >= kPageCap) {
        Finish(Outcome::Page);
    }
}

void Download::ReadSecure(const QByteArray& chunk) {
    const std::string_view bytes(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    bytes_ += static_cast<std::int32_t>(std::min<std::size_t>(bytes.size(), kPageCap));
    if (headerDone_) {
        AppendBody(bytes);
    } else {
        data_.append(bytes);
        const std::size_t end = data_.find("\r\n\r\n", headerScanFrom_);
        if (end != std::string::npos) {
            HeadArrived(end);
        } else if (data_.size() >= kHeadCap) {
            Finish(Outcome::Page); // no header: nothing is a page body
        } else {
            headerScanFrom_ = data_.size() >= 3 ? data_.size() - 3 : 0;
        }
    }
    if (stage_ == Stage::Receiving) {
        emit progress(bytes_, length_);
    }
}

void Download::HeadArrived(std::size_t headEnd) {
    headerDone_ = true;
    head_ = ParseResponseHead(std::string_view(data_).substr(0, headEnd));
    const std::string rest = data_.substr(headEnd + 4);
    std::string().swap(data_);
    bytes_ = static_cast<std::int32_t>(rest.size());
    if (IsRedirectStatus(head_.status) && ResolveUrl(head_.location, url_)) {
        stage_ = Stage::Idle;
        socket_->abort();
        Later(++redirects_ > kMaxRedirects ? &Download::GiveUpRedirects : &Download::FollowRedirect);
        return;
    }
    length_ = head_.chunked ? 0 : ClampedLength(head_.length);
    AppendBody(rest);
}

void Download::AppendBody(std::string_view bytes) {
    if (head_.chunked) {
        chunks_.Feed(bytes, body_, kPageCap);
        if (chunks_.Ended()) {
            Finish(Outcome::Page);
        }
        return;
    }
    body_.append(bytes.substr(0, std::min(bytes.size(), kPageCap - body_.size())));
    const bool complete = head_.length >= 0 && body_.size() >= static_cast<std::uint64_t>(head_.length);
    if (complete || body_.size() >= kPageCap) {
        if (complete) {
            body_.resize(static_cast<std::size_t>(head_.length));
        }
        Finish(Outcome::Page);
    }
}

void Download::OnDisconnected() {
    if (stage_ == Stage::Receiving || (stage_ == Stage::Connecting && !secureWeb_)) {
        if (secureWeb_ && socket_->bytesAvailable() > 0) {
            ReadSecure(socket_->readAll());
        }
        if (stage_ == Stage::Receiving || stage_ == Stage::Connecting) {
            Finish(Outcome::Page);
        }
    } else if (stage_ == Stage::Connecting) {
        ConnectFailed();
    }
}

// Plain downloads ignore socket errors; only the time-outs end them.
void Download::OnError() {
    if (!secureWeb_) {
        return;
    }
    if (stage_ == Stage::Connecting) {
        ConnectFailed();
    } else if (stage_ == Stage::Receiving && socket_->error() != QAbstractSocket::RemoteHostClosedError) {
        OnDisconnected(); // a connection that breaks is a page that ended early
    }
}

void Download::ConnectFailed() {
    stage_ = Stage::Idle;
    socket_->abort();
    Later(url_.https && fallbackLeft_ ? &Download::Fallback : &Download::GiveUpUnreachable);
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
    ++hop_;
    stage_ = Stage::Done;
    timer_->stop();
    // What the server still sends is not read: the page ends here.
    if (socket_->state() != QAbstractSocket::UnconnectedState) {
        socket_->abort();
    }
    emit finished(outcome);
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
