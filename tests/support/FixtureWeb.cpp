// The fixture web runs a QTcpServer on its own thread so that a busy client on the test's
// thread can never starve it, and a server-side stall never looks like a client stall.
#include "FixtureWeb.h"

#include "TestCertificates.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHostAddress>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <future>
#include <map>
#include <mutex>
#include <random>
#include <sys/socket.h>
#include <tuple>
#include <utility>

namespace tarnwick::test {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; });
    return text;
}

std::string Key(const std::string& host, const std::string& path) {
    return Lower(host) + '\n' + path;
}

const std::string kNotFound =
    "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nNot Found";

} // namespace

struct FixtureWeb::Shared {
    mutable std::mutex mutex;
    std::map<std::string, std::string> responses;
    std::map<std::string, Hostility> hostility;
    ResponseGenerator generator;
    std::chrono::milliseconds dripInterval{1000};
    std::vector<RecordedRequest> requests;
    int openConnections = 0;
    std::int64_t bytesSent = 0;

    std::string ResponseFor(const std::string& host, const std::string& path) {
        ResponseGenerator fallback;
        {
            std::lock_guard lock(mutex);
            const auto it = responses.find(Key(host, path));
            if (it != responses.end()) {
                return it->second;
            }
            fallback = generator;
        }
        if (fallback) {
            if (std::optional<std::string> generated = fallback(host, path)) {
                return std::move(*generated);
            }
        }
        return kNotFound;
    }

    Hostility HostilityOf(const std::string& host) {
        std::lock_guard lock(mutex);
        const auto it = hostility.find(Lower(host));
        return it == hostility.end() ? Hostility::None : it->second;
    }

    void CountSent(qint64 bytes) {
        std::lock_guard lock(mutex);
        bytesSent += bytes;
    }
};

// One accepted connection; lives on the server thread and deletes itself when closed.
class Connection final : public QObject {
public:
    Connection(QTcpSocket* socket, std::shared_ptr<FixtureWeb::Shared> shared, QObject* owner, bool secure)
        : QObject(owner)
        , socket_(socket)
        , shared_(std::move(shared))
        , secure_(secure) {
        socket_->setParent(this);
        {
            std::lock_guard lock(shared_->mutex);
            ++shared_->openConnections;
        }
        connect(socket_, &QTcpSocket::readyRead, this, [this] { OnRead(); });
        connect(socket_, &QTcpSocket::bytesWritten, this, [this](qint64 n) { OnWritten(n); });
        connect(socket_, &QTcpSocket::disconnected, this, [this] { Finish(); });
        connect(&drip_, &QTimer::timeout, this, [this] { DripOne(); });
    }

    ~Connection() override {
        std::lock_guard lock(shared_->mutex);
        --shared_->openConnections;
    }

private:
    void OnRead() {
        received_ += socket_->readAll();
        if (answered_) {
            return;
        }
        const qsizetype end = received_.indexOf("\r\n\r\n");
        if (end < 0) {
            return;
        }
        answered_ = true;
        RecordedRequest request;
        request.secure = secure_;
        request.bytes = received_.left(end + 4).toStdString();
        const std::string& bytes = request.bytes;
        const std::size_t firstSpace = bytes.find(' ');
        const std::size_t secondSpace = bytes.find(' ', firstSpace + 1);
        if (firstSpace != std::string::npos && secondSpace != std::string::npos) {
            request.path = bytes.substr(firstSpace + 1, secondSpace - firstSpace - 1);
        }
        const std::size_t hostLine = bytes.find("\r\nHost: ");
        if (hostLine != std::string::npos) {
            const std::size_t start = hostLine + 8;
            request.host = bytes.substr(start, bytes.find("\r\n", start) - start);
        }
        {
            std::lock_guard lock(shared_->mutex);
            shared_->requests.push_back(request);
        }
        Answer(request.host, request.path);
    }

    void Answer(const std::string& host, const std::string& path) {
        mode_ = shared_->HostilityOf(host);
        switch (mode_) {
        case Hostility::None:
            Send(shared_->ResponseFor(host, path));
            socket_->disconnectFromHost();
            break;
        case Hostility::Silent:
            break;
        case Hostility::Drip: {
            pending_ = shared_->ResponseFor(host, path);
            std::chrono::milliseconds interval;
            {
                std::lock_guard lock(shared_->mutex);
                interval = shared_->dripInterval;
            }
            drip_.start(interval);
            break;
        }
        case Hostility::NeverClose:
            Send(shared_->ResponseFor(host, path));
            break;
        case Hostility::Huge:
            Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(FixtureWeb::kHugeBodyBytes) +
                 "\r\n\r\n");
            hugeLeft_ = FixtureWeb::kHugeBodyBytes;
            FeedHuge();
            break;
        case Hostility::Garbage: {
            std::mt19937 random(20261208u);
            std::string noise(64 * 1024, '\0');
            for (char& c : noise) {
                c = static_cast<char>(random() & 0xFFu);
            }
            Send(noise);
            socket_->disconnectFromHost();
            break;
        }
        case Hostility::HeaderWithoutEnd:
            Send("HTTP/1.1 200 OK\r\nContent-Length: 40\r\nX-Note: the blank line never comes\r\nX-More: fax "
                 "(212) 555-0188");
            socket_->disconnectFromHost();
            break;
        case Hostility::Reset:
            Send("HTTP/1.1 200 OK\r\nContent-Le");
            socket_->flush();
            ResetNow();
            break;
        }
    }

    void Send(const std::string& bytes) {
        socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
        shared_->CountSent(static_cast<qint64>(bytes.size()));
    }

    void OnWritten(qint64) {
        if (mode_ == Hostility::Huge) {
            FeedHuge();
        }
    }

    // Keeps a bounded amount queued so the 100 MB never sit in memory at once.
    void FeedHuge() {
        static const std::string chunk(64 * 1024, 'x');
        while (hugeLeft_ > 0 && socket_->state() == QAbstractSocket::ConnectedState &&
               socket_->bytesToWrite() < 256 * 1024) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(hugeLeft_, chunk.size()));
            Send(chunk.substr(0, n));
            hugeLeft_ -= static_cast<std::int64_t>(n);
        }
        if (hugeLeft_ == 0 && !closing_) {
            closing_ = true;
            socket_->disconnectFromHost();
        }
    }

    void DripOne() {
        if (dripAt_ >= pending_.size() || socket_->state() != QAbstractSocket::ConnectedState) {
            drip_.stop();
            socket_->disconnectFromHost();
            return;
        }
        Send(pending_.substr(dripAt_++, 1));
    }

    void ResetNow() {
        const linger hard{1, 0};
        const qintptr fd = socket_->socketDescriptor();
        if (fd >= 0) {
            ::setsockopt(static_cast<int>(fd), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        }
        socket_->abort();
        Finish();
    }

    void Finish() {
        if (finished_) {
            return;
        }
        finished_ = true;
        drip_.stop();
        deleteLater();
    }

    QTcpSocket* socket_;
    std::shared_ptr<FixtureWeb::Shared> shared_;
    bool secure_ = false;
    QByteArray received_;
    bool answered_ = false;
    bool finished_ = false;
    bool closing_ = false;
    Hostility mode_ = Hostility::None;
    std::string pending_;
    std::size_t dripAt_ = 0;
    std::int64_t hugeLeft_ = 0;
    QTimer drip_;
};

// Accepts TCP connections and starts the server side of TLS on each before it is served.
class TlsServer final : public QTcpServer {
public:
    TlsServer(std::shared_ptr<FixtureWeb::Shared> shared, QObject* connections)
        : shared_(std::move(shared))
        , connections_(connections) {
        config_ = QSslConfiguration::defaultConfiguration();
        config_.setLocalCertificate(QSslCertificate(QByteArray(kServerCertificatePem), QSsl::Pem));
        config_.setPrivateKey(QSslKey(QByteArray(kServerKeyPem), QSsl::Ec, QSsl::Pem));
        config_.setPeerVerifyMode(QSslSocket::VerifyNone);
    }

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QSslSocket;
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setSslConfiguration(config_);
        new Connection(socket, shared_, connections_, true);
        socket->startServerEncryption();
    }

private:
    std::shared_ptr<FixtureWeb::Shared> shared_;
    QObject* connections_;
    QSslConfiguration config_;
};

class FixtureWeb::Server final : public QThread {
public:
    Server(std::shared_ptr<Shared> shared, bool tls)
        : shared_(std::move(shared))
        , tls_(tls) {}

    std::pair<quint16, quint16> StartAndWait() {
        start();
        return ready_.get_future().get();
    }

protected:
    void run() override {
        QTcpServer server;
        // Connections still open when the web shuts down go with their owner.
        QObject connections;
        server.setMaxPendingConnections(1000);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server, &connections] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                new Connection(socket, shared_, &connections, false);
            }
        });
        server.listen(QHostAddress::LocalHost, 0);
        std::unique_ptr<TlsServer> secure;
        if (tls_) {
            secure = std::make_unique<TlsServer>(shared_, &connections);
            secure->setMaxPendingConnections(1000);
            secure->listen(QHostAddress::LocalHost, 0);
        }
        ready_.set_value({server.serverPort(), secure ? secure->serverPort() : quint16{0}});
        exec();
        server.close();
        if (secure) {
            secure->close();
        }
    }

private:
    std::shared_ptr<Shared> shared_;
    bool tls_ = false;
    std::promise<std::pair<quint16, quint16>> ready_;
};

FixtureWeb::FixtureWeb(bool tls)
    : shared_(std::make_shared<Shared>())
    , server_(std::make_unique<Server>(shared_, tls)) {
    std::tie(port_, securePort_) = server_->StartAndWait();
}

FixtureWeb::~FixtureWeb() {
    server_->quit();
    server_->wait();
}

quint16 FixtureWeb::Port() const {
    return port_;
}

quint16 FixtureWeb::SecurePort() const {
    return securePort_;
}

std::string FixtureWeb::OkResponse(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

void FixtureWeb::SetPage(const std::string& host, const std::string& path, const std::string& body) {
    SetResponse(host, path, OkResponse(body));
}

void FixtureWeb::SetResponse(const std::string& host, const std::string& path, std::string response) {
    std::lock_guard lock(shared_->mutex);
    shared_->responses[Key(host, path)] = std::move(response);
}

void FixtureWeb::SetGenerator(ResponseGenerator generator) {
    std::lock_guard lock(shared_->mutex);
    shared_->generator = std::move(generator);
}

void FixtureWeb::SetHostility(const std::string& host, Hostility hostility) {
    std::lock_guard lock(shared_->mutex);
    shared_->hostility[Lower(host)] = hostility;
}

void FixtureWeb::SetDripInterval(std::chrono::milliseconds interval) {
    std::lock_guard lock(shared_->mutex);
    shared_->dripInterval = interval;
}

std::vector<RecordedRequest> FixtureWeb::Requests() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->requests;
}

std::size_t FixtureWeb::RequestCount() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->requests.size();
}

bool FixtureWeb::WasRequested(const std::string& host, const std::string& path) const {
    std::lock_guard lock(shared_->mutex);
    return std::any_of(shared_->requests.begin(), shared_->requests.end(), [&](const RecordedRequest& r) {
        return Lower(r.host) == Lower(host) && r.path == path;
    });
}

bool FixtureWeb::WasRequestedSecure(const std::string& host, const std::string& path) const {
    std::lock_guard lock(shared_->mutex);
    return std::any_of(shared_->requests.begin(), shared_->requests.end(), [&](const RecordedRequest& r) {
        return r.secure && Lower(r.host) == Lower(host) && r.path == path;
    });
}

int FixtureWeb::OpenConnections() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->openConnections;
}

std::int64_t FixtureWeb::BytesSent() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->bytesSent;
}

} // namespace tarnwick::test
