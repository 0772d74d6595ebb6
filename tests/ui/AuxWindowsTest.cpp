// Tests of start-up from the splash window, the help, about and browser windows and the rule
// that decides when the program ends.
#include "ui/AuxWindows.h"

#include "ui/Shutdown.h"
#include "ui/Skin.h"
#include "ui/Twips.h"
#include "ui/WebEngineSetup.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QWebEngineHistory>
#include <QWebEngineView>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <string>

namespace {
// The web engine's start-up settings must precede the application object made by the test main.
const bool webEnginePrepared = (tarnwick::PrepareWebEngine(), true);
} // namespace

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tarnwick {
namespace {

constexpr int kWaitMs = 20000; // generous: the web engine starts slowly on a loaded machine

class MapSettings final : public SettingsStore {
public:
    std::map<std::string, std::string> values;
    std::string Read(const std::string& key, const std::string& fallback) override {
        const auto found = values.find(key);
        return found == values.end() ? fallback : found->second;
    }
    void Write(const std::string& key, const std::string& value) override { values[key] = value; }
};

class AuxWindowsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(webEnginePrepared);
        ASSERT_TRUE(folder_.isValid());
        exitWhenBrowserCloses = true; // the splash load must clear it
        SetProgramEndHandler([this] { ++ends_; });
    }
    void TearDown() override {
        SetProgramEndHandler({});
        exitWhenBrowserCloses = false;
        skinEngine().Release();
        SetGlobalSkin(nullptr);
    }

    std::string Folder() const { return folder_.path().toStdString(); }
    void ShipHelpFile() const {
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(TARNWICK_HELP_FILE), folder_.path() + QStringLiteral("/Help.rtf")));
    }
    static void DeleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QTemporaryDir folder_;
    MapSettings settings_;
    int ends_ = 0;
};

TEST_F(AuxWindowsTest, SplashLoadsThenMainWindowOnTheSeventyFifthTick) {
    AuxWindows windows(settings_, Folder());
    QWidget mainWindow;
    std::vector<bool> splashUpAtMainLoad;
    windows.Start([&] {
        splashUpAtMainLoad.push_back(windows.splash()->isVisible());
        mainWindow.show();
    });
    frmSplash& splash = *windows.splash();
    splash.Timer2().stop(); // ticks are driven by hand here

    EXPECT_TRUE(splash.isVisible());
    EXPECT_FALSE(exitWhenBrowserCloses);
    EXPECT_EQ(splash.branding().programName, QStringLiteral("Tarnwick"));
    EXPECT_EQ(GlobalSkin(), splash.skn());
    EXPECT_EQ(skinEngine().Attached(), splash.skn());
    EXPECT_TRUE(skinEngine().IsApplied());
    EXPECT_TRUE(splash.property("skinned").toBool());
    EXPECT_EQ(splash.Timer2().interval(), 16); // the system timer's resolution, not the 2 ms asked for
    EXPECT_EQ(splash.size(), QSize(TwipsToPx(splash, 7170), TwipsToPx(splash, 4770)));

    splash.Timer2().start();
    for (int tick = 1; tick < 75; ++tick) {
        splash.Timer2_Timer();
    }
    EXPECT_TRUE(splashUpAtMainLoad.empty());
    EXPECT_EQ(splash.ticks(), 148);
    splash.Timer2_Timer();
    ASSERT_EQ(splashUpAtMainLoad, std::vector<bool>{true}); // main loads while the splash is still up
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.Timer2().isActive());
    EXPECT_EQ(ends_, 0);
}

TEST_F(AuxWindowsTest, SplashLoadsTheMainWindowOnceAndCloses) {
    AuxWindows windows(settings_, Folder());
    int mainLoads = 0;
    QElapsedTimer clock;
    clock.start();
    windows.Start([&] { ++mainLoads; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainLoads > 0; }, kWaitMs));
    EXPECT_GE(clock.elapsed(), 75 * 2 - 2); // a timer never fires before its interval
    QTest::qWait(20);
    EXPECT_EQ(mainLoads, 1);
    EXPECT_FALSE(windows.splash()->isVisible());
}

TEST_F(AuxWindowsTest, SplashStaysUpAboutASecondBeforeTheMainWindow) {
    AuxWindows windows(settings_, Folder());
    qint64 shownAfterMs = -1;
    QElapsedTimer clock;
    clock.start();
    windows.Start([&] { shownAfterMs = clock.elapsed(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownAfterMs >= 0; }, kWaitMs));
    EXPECT_GE(shownAfterMs, 1000);
    EXPECT_EQ(windows.splash()->ticks(), frmSplash::kTicksToMainWindow);
}

TEST_F(AuxWindowsTest, SplashFailingSkinEngineDoesNotStopStartUp) {
    // An engine that cannot apply (nothing attached after a release) is skipped by the load.
    AuxWindows windows(settings_, Folder());
    skinEngine().Release();
    int mainLoads = 0;
    windows.Start([&] { ++mainLoads; });
    windows.splash()->Timer2().stop();
    for (int tick = 0; tick < 75; ++tick) {
        windows.splash()->Timer2_Timer();
    }
    EXPECT_EQ(mainLoads, 1);
}

TEST_F(AuxWindowsTest, HelpWindowShowsGuideStaysOnTopAndStoresShowAtStartup) {
    ShipHelpFile();
    AuxWindows windows(settings_, Folder());
    windows.ShowHelp();
    Form8* help = windows.help();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Readme/Help"));
    const QString text = help->rtf1().toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Tarnwick 2.0 \u2014 User Guide")))
        << text.left(80).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("public web\n\nWhat Tarnwick does\nTarnwick builds")))
        << text.left(200).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Start\tBegins a harvest")));
    EXPECT_TRUE(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(help->Check1().isChecked()); // "showHelp" defaults to "1"

    help->Check1().click();
    EXPECT_EQ(settings_.values["showHelp"], "0");
    help->Check1().click();
    EXPECT_EQ(settings_.values["showHelp"], "1");

    windows.ShowHelp(); // reused while open
    EXPECT_EQ(windows.help(), help);
}

TEST_F(AuxWindowsTest, ShowAtStartupClearedMeansNoHelpAtNextStart) {
    ShipHelpFile();
    // The main window's load opens the help window only when the stored value is "1".
    const auto startProgram = [this](AuxWindows& windows) {
        windows.Start([&] {
            if (settings_.Read("showHelp", "1") == "1") {
                windows.ShowHelp();
            }
        });
        windows.splash()->Timer2().stop();
        for (int tick = 0; tick < 75; ++tick) {
            windows.splash()->Timer2_Timer();
        }
    };
    {
        AuxWindows first(settings_, Folder());
        startProgram(first);
        ASSERT_NE(first.help(), nullptr);
        first.help()->Check1().click();
    }
    AuxWindows second(settings_, Folder());
    startProgram(second);
    EXPECT_EQ(second.help(), nullptr);
    second.ShowHelp(); // the Help menu still opens it, with the box clear
    ASSERT_NE(second.help(), nullptr);
    EXPECT_FALSE(second.help()->Check1().isChecked());
}

TEST_F(AuxWindowsTest, MissingHelpFileShowsEmptyWindowNotOnTopWithBoxClear) {
    settings_.values["showHelp"] = "1";
    AuxWindows windows(settings_, Folder());
    windows.ShowHelp();
    Form8* help = windows.help();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->rtf1().toPlainText().isEmpty());
    EXPECT_FALSE(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(help->Check1().isChecked());
    help->Check1().click();
    EXPECT_EQ(settings_.values["showHelp"], "1");
}

TEST_F(AuxWindowsTest, ClosedHelpWindowIsLoadedAfreshNextTime) {
    ShipHelpFile();
    AuxWindows windows(settings_, Folder());
    windows.ShowHelp();
    windows.help()->close();
    DeleteClosedWindows();
    EXPECT_EQ(windows.help(), nullptr);
    settings_.values["showHelp"] = "0";
    windows.ShowHelp();
    ASSERT_NE(windows.help(), nullptr);
    EXPECT_FALSE(windows.help()->Check1().isChecked());
}

TEST_F(AuxWindowsTest, AboutWindowShowsCaptionAndFourValues) {
    AuxWindows windows(settings_, Folder());
    windows.ShowAbout();
    frmAbout* about = windows.about();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Tarnwick"));
    EXPECT_EQ(about->Label1().text(), QStringLiteral("Tarnwick"));
    EXPECT_EQ(about->lblVersion().text(), QStringLiteral("2.0"));
    EXPECT_EQ(about->lblCompany().text(), QStringLiteral(TARNWICK_COMPANY_NAME));
    EXPECT_EQ(about->lblWebsite().text(), QStringLiteral(TARNWICK_WEBSITE_ADDRESS));
    EXPECT_TRUE(about->Label1().font().bold());
    EXPECT_EQ(about->Label1().font().pointSizeF(), 14.25);

    QStringList skinned;
    for (const SkinLabel* label : about->findChildren<SkinLabel*>()) {
        skinned << label->text();
    }
    for (const char* caption : {"Version:", "Owned By:", "Website:"}) {
        EXPECT_TRUE(skinned.contains(QString::fromLatin1(caption))) << caption;
    }
}

// Each window, asked for again while it is open behind another window or minimised, comes to
// the front and becomes the active window.
TEST_F(AuxWindowsTest, AnOpenWindowAskedForAgainComesForward) {
    ShipHelpFile();
    AuxWindows windows(settings_, Folder());
    windows.websiteHome = QStringLiteral("about:blank");
    QWidget mainWindow;
    mainWindow.resize(300, 200);
    mainWindow.show();
    struct Case {
        const char* name;
        std::function<void()> ask;
        std::function<QWidget*()> window;
    };
    const std::vector<Case> cases = {
        {"help", [&] { windows.ShowHelp(); }, [&] { return static_cast<QWidget*>(windows.help()); }},
        {"about", [&] { windows.ShowAbout(); }, [&] { return static_cast<QWidget*>(windows.about()); }},
        {"browser", [&] { windows.ShowWebsite(); }, [&] { return static_cast<QWidget*>(windows.website()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.ask();
        QWidget* window = c.window();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

        mainWindow.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
        c.ask();
        EXPECT_EQ(c.window(), window); // reused, not made anew
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));

        window->showMinimized();
        mainWindow.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
        c.ask();
        EXPECT_FALSE(window->isMinimized());
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
}

class BrowserTest : public AuxWindowsTest {
protected:
    static bool WaitForLoad(QWebEngineView& view, QSignalSpy& loads, int count) {
        return QTest::qWaitFor([&] { return loads.count() >= count; }, kWaitMs) && !view.url().isEmpty();
    }

    // Loads and shows the window on a blank home page and waits for that first page.
    static bool ShowBlankHome(frmWebsite& website, QSignalSpy& loads) {
        website.homeAddress = QStringLiteral("about:blank");
        website.Load();
        website.show();
        return WaitForLoad(website.WebBrowser1(), loads, 1);
    }
};

TEST_F(BrowserTest, LoadSetsCaptionPanelsMaximisesAndLeavesTheTopBand) {
    AuxWindows windows(settings_, Folder());
    windows.websiteHome = QStringLiteral("about:blank");
    windows.ShowWebsite();
    frmWebsite* website = windows.website();
    ASSERT_NE(website, nullptr);
    EXPECT_TRUE(website->isVisible());
    EXPECT_TRUE(website->windowState().testFlag(Qt::WindowMaximized));
    EXPECT_FALSE(website->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(website->findChildren<QLabel*>(QStringLiteral("Panel2")).size(), 1);
    EXPECT_EQ(website->frmBrowser().findChildren<SkinLabel*>().size(), 1);

    frmWebsite plain(LoadBranding());
    plain.homeAddress = QStringLiteral("about:blank");
    QSignalSpy navigations(&plain, &frmWebsite::navigating);
    plain.Load();
    EXPECT_EQ(plain.windowTitle(), QStringLiteral(TARNWICK_WEBSITE_ADDRESS));
    ASSERT_EQ(navigations.count(), 1);
    EXPECT_EQ(navigations.at(0).at(0).toString(), QStringLiteral("about:blank"));
}

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

TEST_F(BrowserTest, AnIdleShownWindowStopsPainting) {
    frmWebsite website(LoadBranding());
    QSignalSpy loads(&website.WebBrowser1(), &QWebEngineView::loadFinished);
    ASSERT_TRUE(ShowBlankHome(website, loads));
    QTest::qWait(300); // the first paints after the page has loaded
    PaintCounter window(website);
    PaintCounter statusBar(website.StatusBar1());
    QTest::qWait(1000);
    EXPECT_LE(window.paints, 5);
    EXPECT_LE(statusBar.paints, 5);

    // The cause: a paint lays nothing out (the layout raises the status bar, which repaints).
    website.Text1().resize(10, website.Text1().height());
    QPaintEvent paint(website.rect());
    QApplication::sendEvent(&website, &paint);
    EXPECT_EQ(website.Text1().width(), 10);
}

TEST_F(BrowserTest, BackForwardStopRefreshWithoutHistoryDoNothing) {
    frmWebsite website(LoadBranding());
    QSignalSpy loads(&website.WebBrowser1(), &QWebEngineView::loadFinished);
    ASSERT_TRUE(ShowBlankHome(website, loads));
    const QUrl home = website.WebBrowser1().url();
    QSignalSpy navigations(&website, &frmWebsite::navigating);
    for (const char* name : {"Command4", "Command5", "Command6", "Command7"}) {
        auto* button = website.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
        QTest::qWait(10);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << name;
        EXPECT_EQ(website.WebBrowser1().url(), home) << name;
    }
    EXPECT_FALSE(website.WebBrowser1().history()->canGoBack());
    EXPECT_EQ(navigations.count(), 0);
}

TEST_F(BrowserTest, EnterNavigatesLikeGoAndPageFillsAddressAndCaption) {
    frmWebsite website(LoadBranding());
    QSignalSpy loads(&website.WebBrowser1(), &QWebEngineView::loadFinished);
    ASSERT_TRUE(ShowBlankHome(website, loads));
    QSignalSpy navigations(&website, &frmWebsite::navigating);

    const QString alpha = QStringLiteral("data:text/html,<title>Alpha</title>first");
    website.Text1().setText(alpha);
    QTest::keyClick(&website.Text1(), Qt::Key_A); // other keys pass into the box
    EXPECT_EQ(navigations.count(), 0);
    website.Text1().setText(alpha);
    QTest::keyClick(&website.Text1(), Qt::Key_Return);
    ASSERT_EQ(navigations.count(), 1);
    EXPECT_EQ(navigations.at(0).at(0).toString(), alpha);
    ASSERT_TRUE(WaitForLoad(website.WebBrowser1(), loads, 2));
    EXPECT_EQ(website.windowTitle(), QStringLiteral("Alpha"));
    EXPECT_EQ(website.Text1().text(), website.WebBrowser1().url().toString());
    EXPECT_TRUE(website.Text1().text().startsWith(QStringLiteral("data:text/html")));
    EXPECT_EQ(website.Panel(1).text(), QStringLiteral("Done"));

    const QString beta = QStringLiteral("data:text/html,<title>Beta</title>second");
    website.Text1().setText(beta);
    website.Command3().click();
    ASSERT_EQ(navigations.count(), 2);
    EXPECT_EQ(navigations.at(1).at(0).toString(), beta);
    ASSERT_TRUE(WaitForLoad(website.WebBrowser1(), loads, 3));
    EXPECT_EQ(website.windowTitle(), QStringLiteral("Beta"));

    website.findChild<QPushButton*>(QStringLiteral("Command4"))->click(); // Back now has somewhere to go
    ASSERT_TRUE(WaitForLoad(website.WebBrowser1(), loads, 4));
    EXPECT_EQ(website.windowTitle(), QStringLiteral("Alpha"));
}

TEST_F(BrowserTest, LayoutFollowsTheWindowSize) {
    frmWebsite website(LoadBranding());
    website.homeAddress = QStringLiteral("about:blank");
    website.Load();
    website.setWindowState(Qt::WindowNoState);
    website.show();
    for (const QSize size : {QSize(900, 700), QSize(640, 480), QSize(1200, 900)}) {
        website.resize(size);
        QCoreApplication::processEvents();
        const QSize outer = website.frameGeometry().size();
        const int statusHeight = website.StatusBar1().height();
        const int px = TwipsToPx(website, 100);
        SCOPED_TRACE(size.width());
        EXPECT_EQ(website.Panel(1).width(), outer.width() / 2);
        EXPECT_EQ(website.Panel(2).width(), outer.width() / 2);
        EXPECT_EQ(website.frmBrowser().width(), outer.width() - TwipsToPx(website, 300));
        EXPECT_EQ(website.frmBrowser().height(), outer.height() - statusHeight);
        const QLineEdit& text = website.Text1();
        EXPECT_EQ(text.width(), website.frmBrowser().width() - text.x() - TwipsToPx(website, 300) -
                                    website.Command3().width());
        EXPECT_EQ(website.Command3().x(), text.x() + text.width() + px);
        const QWebEngineView& view = website.WebBrowser1();
        EXPECT_EQ(view.width(), website.frmBrowser().width() - view.x() - px);
        EXPECT_EQ(view.height(),
                  website.frmBrowser().height() - view.y() - TwipsToPx(website, 800) - statusHeight);
        EXPECT_EQ(website.StatusBar1().geometry().bottom(), website.height() - 1);
    }
}

TEST_F(BrowserTest, MainWindowUnloadWithoutBrowserEndsAtOnce) {
    ShipHelpFile();
    AuxWindows windows(settings_, Folder());
    windows.Start([] {});
    windows.ShowHelp();
    windows.MainWindowUnloading();
    DeleteClosedWindows();
    EXPECT_EQ(ends_, 1);
    EXPECT_FALSE(exitWhenBrowserCloses);
    EXPECT_EQ(windows.help(), nullptr);
    EXPECT_EQ(windows.splash(), nullptr);
    EXPECT_FALSE(skinEngine().IsApplied()); // released before the end
}

TEST_F(BrowserTest, MainWindowUnloadWithBrowserOpenEndsWhenBrowserCloses) {
    AuxWindows windows(settings_, Folder());
    windows.websiteHome = QStringLiteral("about:blank");
    windows.Start([] {});
    windows.ShowWebsite();
    windows.MainWindowUnloading();
    EXPECT_EQ(ends_, 0);
    EXPECT_TRUE(exitWhenBrowserCloses);
    ASSERT_NE(windows.website(), nullptr);
    EXPECT_TRUE(windows.website()->isVisible());
    EXPECT_TRUE(skinEngine().IsApplied()); // the browser keeps working, skinned

    windows.website()->close();
    EXPECT_EQ(ends_, 1);
    EXPECT_FALSE(skinEngine().IsApplied());
}

TEST_F(BrowserTest, BrowserClosedWhileMainWindowOpenJustCloses) {
    AuxWindows windows(settings_, Folder());
    windows.websiteHome = QStringLiteral("about:blank");
    windows.Start([] {});
    windows.ShowWebsite();
    windows.website()->close();
    DeleteClosedWindows();
    EXPECT_EQ(ends_, 0);
    EXPECT_EQ(windows.website(), nullptr);
    windows.ShowWebsite(); // opened again, loaded afresh
    ASSERT_NE(windows.website(), nullptr);
    EXPECT_TRUE(windows.website()->isVisible());
}

} // namespace
} // namespace tarnwick
