// The List builder window with the real web engine: a result page served from loopback (the
// engine's host reached through a loopback proxy) is loaded, read and its domains queued.
#include "harvest/HarvestEngine.h"
#include "listbuilder/ListBuilder.h"
#include "store/Database.h"
#include "ui/ListBuilderWindow.h"
#include "ui/WebEngineSetup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

// Answers every request: result pages by their full address, 404 for anything else. Keeps the
// request targets in arrival order.
class LoopbackProxy final : public QObject {
public:
    LoopbackProxy() {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                Serve(socket);
        });
        server_.listen(QHostAddress::LocalHost);
    }
    quint16 Port() const { return server_.serverPort(); }

    std::map<std::string, std::string> pages;
    std::vector<std::string> targets;

private:
    void Serve(QTcpSocket* socket) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray& pending = buffers_[socket];
            pending += socket->readAll();
            const qsizetype end = pending.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
            buffers_.erase(socket);
            const std::string target = requestLine.size() > 1 ? requestLine[1].toStdString() : std::string();
            targets.push_back(target);
            const auto page = pages.find(target);
            const QByteArray body =
                page == pages.end() ? QByteArray("not here") : QByteArray::fromStdString(page->second);
            QByteArray response = page == pages.end() ? "HTTP/1.1 404 Not Found\r\n" : "HTTP/1.1 200 OK\r\n";
            response += "Content-Type: text/html; charset=windows-1252\r\nContent-Length: " +
                        QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
            socket->write(response);
            socket->disconnectFromHost();
        });
    }

    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffers_;
};

LoopbackProxy* proxy = nullptr;

class QuietSounds final : public SoundPlayer {
public:
    void PlaySoundFile(const std::string&) override {}
};

class NoPrompts final : public UserPrompts {
public:
    void ShowMessage(const std::string&, FocusTarget) override {}
    bool ConfirmOkCancel(const std::string&, const std::string&) override { return true; }
};

class MemorySettings final : public SettingsStore {
public:
    std::string Read(const std::string&, const std::string& fallback) override { return fallback; }
    void Write(const std::string&, const std::string&) override {}
};

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return done();
}

// Whether the web engine can render a page here at all: a sandbox it cannot set up, or a
// missing GPU or display, shows as a render process that ends or a load that never completes.
std::string WebEngineFailure() {
    QWebEngineView view;
    bool finished = false;
    bool ok = false;
    bool crashed = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&](bool success) {
        finished = true;
        ok = success;
    });
    QObject::connect(view.page(), &QWebEnginePage::renderProcessTerminated, &view,
                     [&](QWebEnginePage::RenderProcessTerminationStatus, int) { crashed = true; });
    view.setHtml(QStringLiteral("<html><body><p>probe</p></body></html>"));
    RunUntil([&] { return finished || crashed; }, 60000);
    if (crashed)
        return "its render process ended";
    if (!finished)
        return "a local page never finished loading";
    return ok ? std::string() : "a local page failed to load";
}

std::string ResultPage(int first, int count) {
    std::string page = "<html><body><div id=res>";
    for (int i = first; i < first + count; ++i) {
        const std::string domain = "site" + std::to_string(i) + ".com";
        page += "<div class=g><a href=\"http://www." + domain + "/about.html\">Site " + std::to_string(i) +
                "</a> <a href=\"http://www.google.com/search?q=related:" + domain + "\">Similar</a></div>\n";
    }
    return page + "</div></body></html>";
}

const std::string kGoogle =
    "http://www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=";

// The engine on a scratch database with the window launcher; downloads of a harvest that follows
// go to the discard port of loopback, where nothing listens.
class WebEngineListBuilder : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string failure = WebEngineFailure();
        if (!failure.empty())
            GTEST_SKIP() << "Qt WebEngine cannot start on this machine (" << failure
                         << "); the window test is skipped";
        proxy->targets.clear();
        ASSERT_TRUE(database.EnsureExists());
        engine.SetListBuilder(&launcher);
        engine.LoadRunState();
        engine.options().allowPrivateAddresses = true; // downloads go to loopback
        engine.options().Combo1 = 0;
        engine.options().Combo2 = 0;
    }
    void TearDown() override {
        engine.cmdStop_Click();
        engine.SetListBuilder(nullptr);
    }

    std::vector<std::string> SearchRequests() const {
        std::vector<std::string> searched;
        std::copy_if(proxy->targets.begin(), proxy->targets.end(), std::back_inserter(searched),
                     [](const std::string& t) { return t.starts_with(kGoogle); });
        return searched;
    }

    QTemporaryDir folder;
    std::string appFolder = folder.path().toStdString();
    Database database{appFolder + "/spider.mdb"};
    QuietSounds sounds;
    NoPrompts prompts;
    MemorySettings settings;
    HarvestEngine engine{
        EngineServices{database, appFolder, sounds, prompts, settings, [](const std::string&) {
                           return Endpoint{QStringLiteral("127.0.0.1"), 9};
                       }}};
    ListBuilderWindowLauncher launcher{engine};
};

TEST_F(WebEngineListBuilder, LoadsAResultPageAndQueuesItsDomains) {
    proxy->pages[kGoogle + "0&sa=N&q=web+engine+fax"] = ResultPage(0, 20);
    proxy->pages[kGoogle + "100&sa=N&q=web+engine+fax"] = ResultPage(0, 20);
    engine.cmdAdd_Click("web engine");
    engine.Command1_Click();

    ListBuilderWindow* window = launcher.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("List Builder - Finding matching websites..."));
    EXPECT_EQ(window->WebBrowser1()->toolTip(),
              QStringLiteral("Searching for unique .com, .net and .org domain names."));
    EXPECT_EQ(window->Text1()->text(), QStringLiteral("Status..."));
    EXPECT_EQ(window->Text1()->toolTip(),
              QStringLiteral("This shows the number of unique .com, .org and .net domain names found."));
    EXPECT_TRUE(window->isVisible());
    std::vector<QString> texts;
    QObject::connect(window->Text1(), &QLineEdit::textChanged, window,
                     [&](const QString& t) { texts.push_back(t); });

    // Twenty results: the build ends without a harvest and asks for more phrases.
    ASSERT_TRUE(RunUntil([&] { return engine.StatusText(3) == "Add more search terms"; }, 60000))
        << "requests seen: " << proxy->targets.size();
    EXPECT_EQ(engine.StatusText(1), "Stopped");
    EXPECT_EQ(engine.StatusText(2), "Not enough results");
    EXPECT_FALSE(engine.harvesting());
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), QStringLiteral("Finished! Extracted 20 results."));
    EXPECT_EQ(launcher.Window(), nullptr);
    EXPECT_EQ(SearchRequests(), (std::vector<std::string>{kGoogle + "0&sa=N&q=web+engine+fax",
                                                          kGoogle + "100&sa=N&q=web+engine+fax"}));

    std::vector<std::string> queued;
    for (std::string website = database.FirstQueuedWebsite(); !website.empty();
         website = database.FirstQueuedWebsite()) {
        queued.push_back(website);
        database.DeleteWebsite(website);
    }
    std::vector<std::string> expected;
    for (int i = 0; i < 20; ++i)
        expected.push_back("site" + std::to_string(i) + ".com");
    std::sort(queued.begin(), queued.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(queued, expected);
}

TEST_F(WebEngineListBuilder, AThinPhraseGivesWayToAFreshWindowForTheNext) {
    proxy->pages[kGoogle + "0&sa=N&q=thin+phrase"] = ResultPage(0, 5);
    proxy->pages[kGoogle + "0&sa=N&q=rich+phrase"] = ResultPage(100, 30);
    engine.cmdAdd_Click("thin phrase");
    engine.cmdAdd_Click("rich phrase");
    engine.options().chkAddFax = false;
    engine.Command1_Click();
    const QPointer<ListBuilderWindow> first = launcher.Window();
    ASSERT_FALSE(first.isNull());

    ASSERT_TRUE(RunUntil([&] { return engine.harvesting(); }, 60000))
        << "requests seen: " << proxy->targets.size();
    EXPECT_EQ(engine.List(ListId::List1), std::vector<std::string>{"rich phrase"});
    EXPECT_EQ(engine.Stats().sessionSitesFound, 30);
    EXPECT_EQ(SearchRequests(), (std::vector<std::string>{
                                    kGoogle + "0&sa=N&q=thin+phrase", kGoogle + "100&sa=N&q=thin+phrase",
                                    kGoogle + "0&sa=N&q=rich+phrase", kGoogle + "100&sa=N&q=rich+phrase"}));
    // The first window goes once control is back in the event loop; the second one unloads
    // itself after starting the harvest.
    RunUntil([&] { return first.isNull() && launcher.Window() == nullptr; }, 10000);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(launcher.Window(), nullptr);
}

} // namespace
} // namespace tarnwick

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tarnwick::PrepareWebEngine();
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    // The engine's own hosts are reached through a proxy on loopback; nothing leaves the machine.
    tarnwick::LoopbackProxy proxy;
    tarnwick::proxy = &proxy;
    const QByteArray flags = "--proxy-server=http://127.0.0.1:" + QByteArray::number(proxy.Port()) +
                             " --proxy-bypass-list=<-loopback> --disable-gpu --disable-background-networking"
                             " --disable-component-update --no-first-run --disable-sync";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    return RUN_ALL_TESTS();
}
