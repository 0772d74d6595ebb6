// Wiring of the engine under test; the database is read back through a second connection.
#include "EngineHarness.h"

#include "TestCertificates.h"

#include <QDateTime>
#include <QSslCertificate>
#include <QTcpServer>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sstream>

namespace tarnwick::test {

void RecordingSounds::PlaySoundFile(const std::string& path) {
    if (playing_) {
        ADD_FAILURE() << "a sound was asked for inside another: " << path;
    }
    playing_ = true;
    played.push_back(path);
    playing_ = false;
}

int RecordingSounds::Count(const std::string& fileName) const {
    return static_cast<int>(std::count_if(played.begin(), played.end(), [&](const std::string& path) {
        return path.size() >= fileName.size() &&
               path.compare(path.size() - fileName.size(), fileName.size(), fileName) == 0;
    }));
}

EngineHarness::EngineHarness()
    : EngineHarness(false) {}

EngineHarness::EngineHarness(bool secureWeb, bool trustTestAuthority)
    : web(secureWeb)
    , appFolder_(dir_.path().toStdString())
    , dbPath_(appFolder_ + "/spider.mdb")
    , db_(dbPath_) {
    db_.EnsureExists();
    const quint16 port = web.Port();
    const quint16 closed = ClosedPort();
    EngineServices services{
        db_, appFolder_, sounds, prompts, settings, [this, port, closed](const std::string& host) {
            return Endpoint{QStringLiteral("127.0.0.1"), refusePlain.contains(host) ? closed : port};
        }};
    if (secureWeb) {
        const quint16 securePort = web.SecurePort();
        services.resolveSecure = [this, securePort, closed](const std::string& host) {
            return Endpoint{QStringLiteral("127.0.0.1"), refuseSecure.contains(host) ? closed : securePort};
        };
        if (trustTestAuthority) {
            services.trustedAuthorities = {QSslCertificate(QByteArray(kTestAuthorityPem), QSsl::Pem)};
        }
    }
    services.clock = [this] { return clock ? clock() : QDateTime::currentMSecsSinceEpoch(); };
    engine_ = std::make_unique<HarvestEngine>(std::move(services));
    engine_->options().chkSecureWeb = secureWeb;
    engine_->options().allowPrivateAddresses = true; // the fixture web is on loopback
    engine_->SetListBuilder(&launcher);
    engine_->SetTickInterval(10);
    engine_->SetTimeouts(50, 200);
    Options& options = engine_->options();
    options.Combo1 = 0;
    options.Combo2 = 0;
}

EngineHarness::~EngineHarness() {
    engine_->Shutdown();
}

void EngineHarness::Queue(const std::vector<std::string>& websites) {
    for (std::string website : websites) {
        db_.AddWebsite(website);
    }
}

void EngineHarness::Phrases(const std::vector<std::string>& phrases) {
    for (const std::string& phrase : phrases) {
        engine_->cmdAdd_Click(phrase);
    }
}

namespace {

std::vector<std::vector<std::string>> Rows(const std::string& path, const std::string& sql, int columns) {
    std::vector<std::vector<std::string>> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < columns; ++c) {
                const auto* text = sqlite3_column_text(statement, c);
                row.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "");
            }
            rows.push_back(std::move(row));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

} // namespace

std::vector<FaxRow> EngineHarness::StoredFaxes() const {
    std::vector<FaxRow> faxes;
    for (auto& row :
         Rows(dbPath_, "SELECT fax, Date, website, search, location FROM faxes ORDER BY rowid", 5)) {
        faxes.push_back({row[0], row[1], row[2], row[3], row[4]});
    }
    return faxes;
}

std::vector<std::string> EngineHarness::StoredSearches() const {
    std::vector<std::string> searches;
    for (auto& row : Rows(dbPath_, "SELECT search FROM searches ORDER BY rowid", 1)) {
        searches.push_back(row[0]);
    }
    return searches;
}

bool EngineHarness::WaitFor(const std::function<bool()>& done, int milliseconds) {
    return QTest::qWaitFor(done, milliseconds);
}

void EngineHarness::Pump(int milliseconds) {
    QTest::qWait(milliseconds);
}

quint16 ClosedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when the probe goes
}

bool FileExists(const std::string& path) {
    return std::ifstream(path, std::ios::binary).good();
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace tarnwick::test
