// The List builder window with the real web engine: a result page served from loopback (the
// engine's host reached through a loopback proxy) is loaded, read and its domains queued.
#include "harvest/HarvestEngine.h"
#include "listbuilder/ListBuilder.h"
#include "listbuilder/PageControls.h"
#include "store/Database.h"
#include "ui/ListBuilderWindow.h"
#include "ui/WebEngineBrowser.h"
#include "ui/WebEngineSetup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
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
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                Serve(socket);
            }
        });
        server_.listen(QHostAddress::LocalHost);
    }
    quint16 Port() const { return server_.serverPort(); }

    std::map<std::string, std::string> pages;
    std::map<std::string, int> statuses; // 200 when not listed
    std::vector<std::string> targets;
    std::vector<std::string> methods; // in step with targets
    std::vector<std::string> bodies;  // in step with targets

private:
    void Serve(QTcpSocket* socket) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray& pending = buffers_[socket];
            pending += socket->readAll();
            const qsizetype end = pending.indexOf("\r\n\r\n");
            if (end < 0) {
                return;
            }
            const QByteArray header = pending.left(end).toLower();
            const qsizetype lengthAt = header.indexOf("\r\ncontent-length:");
            const qsizetype length =
                lengthAt < 0 ? 0
                             : header.mid(lengthAt + 17, header.indexOf("\r\n", lengthAt + 2) - lengthAt - 17)
                                   .trimmed()
                                   .toLongLong();
            if (pending.size() < end + 4 + length) {
                return;
            }
            const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
            const std::string target = requestLine.size() > 1 ? requestLine[1].toStdString() : std::string();
            targets.push_back(target);
            methods.push_back(requestLine.value(0).toStdString());
            bodies.push_back(pending.mid(end + 4, length).toStdString());
            buffers_.erase(socket);
            const auto page = pages.find(target);
            const QByteArray body =
                page == pages.end() ? QByteArray("not here") : QByteArray::fromStdString(page->second);
            const auto status = statuses.find(target);
            QByteArray response = page == pages.end() ? "HTTP/1.1 404 Not Found\r\n"
                                  : status != statuses.end()
                                      ? "HTTP/1.1 " + QByteArray::number(status->second) + " Status\r\n"
                                      : "HTTP/1.1 200 OK\r\n";
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
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
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
    if (crashed) {
        return "its render process ended";
    }
    if (!finished) {
        return "a local page never finished loading";
    }
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
        if (!failure.empty()) {
            GTEST_SKIP() << "Qt WebEngine cannot start on this machine (" << failure
                         << "); the window test is skipped";
        }
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
    for (int i = 0; i < 20; ++i) {
        expected.push_back("site" + std::to_string(i) + ".com");
    }
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

// The browser operations of the secure-web mode on the real web engine, against loopback pages.
class WebEngineSecureBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string failure = WebEngineFailure();
        if (!failure.empty()) {
            GTEST_SKIP() << "Qt WebEngine cannot start on this machine (" << failure << ")";
        }
        proxy->targets.clear();
        proxy->methods.clear();
        proxy->bodies.clear();
        browser.SetDocumentCompleteHandler([this] { ++completes; });
    }

    bool Load(const std::string& address) {
        const int before = completes;
        browser.Navigate(address);
        return RunUntil([&] { return completes > before; }, 60000);
    }
    std::optional<RenderedPage> Read() {
        std::optional<RenderedPage> read;
        bool done = false;
        browser.ReadRenderedPage([&](std::optional<RenderedPage> page) {
            read = std::move(page);
            done = true;
        });
        RunUntil([&] { return done; }, 30000);
        return read;
    }

    QWebEngineView view;
    WebEngineBrowser browser{view};
    int completes = 0;
};

TEST_F(WebEngineSecureBrowser, ReadsResolvedLinksAfterScriptsAndTheControlsOfThePage) {
    proxy->pages["http://results.example/search?q=a"] =
        "<html><body><a href=\"/url?q=https://www.example.co.uk/\">One</a>"
        "<a class=\"result\" href=\"https://two.example.ca/x\">Two</a>"
        "<a id=\"pnnext\" aria-label=\"Next page\" href=\"/search?q=a&amp;start=10\"><span>Next</span></a>"
        "<script>var a = document.createElement('a'); a.href = '//three.example.com/';"
        "document.body.appendChild(a);</script></body></html>";
    ASSERT_TRUE(Load("http://results.example/search?q=a"));
    const std::optional<RenderedPage> page = Read();
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->links,
              (std::vector<std::string>{
                  "http://results.example/url?q=https://www.example.co.uk/", "https://two.example.ca/x",
                  "http://results.example/search?q=a&start=10", "http://three.example.com/"}));
    const std::optional<std::size_t> next = FindNextControl(page->elements);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(page->elements[*next].id, "pnnext");
    EXPECT_EQ(page->elements[*next].label, "Next");
    EXPECT_EQ(browser.LastHttpStatus(), 0);
    EXPECT_FALSE(HoldsChallenge(page->elements));

    browser.ActivateElement(*next);
    ASSERT_TRUE(RunUntil(
        [&] { return browser.LocationURL() == "http://results.example/search?q=a&start=10"; }, 60000));
}

TEST_F(WebEngineSecureBrowser, TheNextButtonOfAFormPostsItsHiddenFields) {
    proxy->pages["http://ddg.example/html/?q=a"] =
        "<html><body><a href=\"https://r1.example.com/\">r1</a>"
        "<form action=\"/html/\" method=\"post\"><input type=\"submit\" value=\"Previous\">"
        "<input type=\"hidden\" name=\"q\" value=\"a\"></form>"
        "<form action=\"/html/\" method=\"post\"><input type=\"submit\" class=\"btn\" value=\"Next\">"
        "<input type=\"hidden\" name=\"q\" value=\"a\"><input type=\"hidden\" name=\"s\" value=\"10\">"
        "<input type=\"hidden\" name=\"vqd\" value=\"4-123\"></form></body></html>";
    proxy->pages["http://ddg.example/html/"] =
        "<html><body><a href=\"https://r2.example.com/\">r2</a></body></html>";
    ASSERT_TRUE(Load("http://ddg.example/html/?q=a"));
    const std::optional<RenderedPage> page = Read();
    ASSERT_TRUE(page.has_value());
    const std::optional<std::size_t> next = FindNextControl(page->elements);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(page->elements[*next].label, "Next");
    EXPECT_TRUE(page->elements[*next].inForm);

    const int before = completes;
    browser.ActivateElement(*next);
    ASSERT_TRUE(RunUntil([&] { return completes > before; }, 60000));
    ASSERT_FALSE(proxy->targets.empty());
    EXPECT_EQ(proxy->methods.back(), "POST");
    EXPECT_EQ(proxy->targets.back(), "http://ddg.example/html/");
    EXPECT_EQ(proxy->bodies.back(), "q=a&s=10&vqd=4-123");
    const std::optional<RenderedPage> second = Read();
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->links, std::vector<std::string>{"https://r2.example.com/"});
}

TEST_F(WebEngineSecureBrowser, TooManyRequestsIsReportedWithItsChallenge) {
    proxy->pages["http://www.google.com/sorry/index?continue=x"] =
        "<html><body><form id=\"captcha-form\" action=\"index\" method=\"post\"><div id=\"recaptcha\"></div>"
        "</form></body></html>";
    proxy->statuses["http://www.google.com/sorry/index?continue=x"] = 429;
    ASSERT_TRUE(Load("http://www.google.com/sorry/index?continue=x"));
    const std::optional<RenderedPage> page = Read();
    ASSERT_TRUE(page.has_value());
    EXPECT_TRUE(HoldsChallenge(page->elements));
    EXPECT_EQ(browser.LastHttpStatus(), 429);
}

TEST_F(WebEngineListBuilder, TheSecureWebModeKeepsItsProfileInTheBrowserSubfolder) {
    QWebEngineProfile* profile = launcher.SecureProfile();
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(launcher.SecureProfile(), profile);
    EXPECT_FALSE(profile->isOffTheRecord());
    EXPECT_EQ(profile->persistentStoragePath(),
              QString::fromStdString(appFolder) + QStringLiteral("/browser"));
    EXPECT_EQ(profile->persistentCookiesPolicy(), QWebEngineProfile::ForcePersistentCookies);

    engine.options().chkSecureWeb = true;
    engine.cmdAdd_Click("secure phrase");
    engine.Command1_Click();
    ListBuilderWindow* window = launcher.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->WebBrowser1()->page()->profile(), profile);
}

} // namespace
} // namespace tarnwick

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
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
