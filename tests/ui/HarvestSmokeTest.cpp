// The whole program in one process: the main window over the real engine and List builder logic,
// a fake browser for the result pages and the fixture web for the crawl, driven only through the
// window's own controls.
#include "BuilderHarness.h"
#include "FixtureWeb.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <set>

namespace tarnwick::test {
namespace {

const std::string kFirstResultPage =
    "http://www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off"
    "&filter=0&start=0&sa=N&q=dentists+fax";

class HarvestFromTheWindow : public ::testing::Test {
protected:
    HarvestFromTheWindow() {
        const quint16 port = web.Port();
        engine = std::make_unique<HarvestEngine>(EngineServices{
            env.database(), env.appFolder(), sounds, prompts, settings, [port](const std::string&) {
                return Endpoint{QStringLiteral("127.0.0.1"), port};
            }});
        launcher = std::make_unique<tarnwick::testing::FakeLauncher>(*engine);
        engine->SetListBuilder(launcher.get());
        form = std::make_unique<Form1>(*engine, settings, TestBranding());
        settings.Write("allowPrivateAddresses", "1"); // the fixture web is on loopback
        form->Load();
        form->show();
    }

    ~HarvestFromTheWindow() override {
        form.reset();
        engine->Shutdown();
    }

    // One result page of `count` sites; each site has a home page with a number and a contact page
    // with another, linked from home.
    std::set<std::string> ServeSites(int count) {
        std::set<std::string> numbers;
        const std::vector<std::string> domains = tarnwick::testing::Domains("clinic", 0, count);
        launcher->pages[kFirstResultPage] = tarnwick::testing::ResultPage(domains);
        for (std::size_t i = 0; i < domains.size(); ++i) {
            const std::string suffix = (i < 10 ? "0" : "") + std::to_string(i);
            web.SetPage(domains[i], "/",
                        "<html><body><p>Fax: (212) 555-01" + suffix + "</p>\n<a href=\"http://" + domains[i] +
                            "/contact.html\">Contact</a>\n</body></html>");
            web.SetPage(domains[i], "/contact.html",
                        "<html><body>\n<p>Send a fax to 415-555-02" + suffix + "</p>\n</body></html>");
            numbers.insert("1-212-555-01" + suffix);
            numbers.insert("1-415-555-02" + suffix);
        }
        return numbers;
    }

    template <typename T> T* Find(const char* name) const { return form->findChild<T*>(QLatin1String(name)); }

    void ChooseAndAdd(const char* phrase) {
        Find<QComboBox>("Combo1")->setCurrentIndex(0);
        Find<QComboBox>("Combo2")->setCurrentIndex(0);
        Find<QLineEdit>("Text1")->setText(QLatin1String(phrase));
        QTest::keyClick(Find<QLineEdit>("Text1"), Qt::Key_Return);
    }

    UiEnvironment env;
    FixtureWeb web;
    RecordingPrompts prompts;
    RecordingSounds sounds;
    QtSettingsStore settings;
    std::unique_ptr<HarvestEngine> engine;
    std::unique_ptr<tarnwick::testing::FakeLauncher> launcher;
    std::unique_ptr<Form1> form;
};

TEST_F(HarvestFromTheWindow, StartHarvestsTheFixtureWebIntoTheListAndTheDatabase) {
    const std::set<std::string> numbers = ServeSites(30);
    ChooseAndAdd("dentists");
    // The run may start and end inside one turn of the event loop, so the window's buttons are
    // watched as they change.
    bool sawRunning = false;
    QObject::connect(&engine->view(), &RunView::buttonEnabledChanged, form.get(), [&] {
        sawRunning = sawRunning || (Find<QToolButton>("cmdStop")->isEnabled() &&
                                    !Find<QToolButton>("Command1")->isEnabled() &&
                                    !Find<QPushButton>("Command3")->isEnabled());
    });
    Find<QToolButton>("Command1")->click();

    ASSERT_TRUE(tarnwick::testing::BuilderHarness::RunUntil(
        [&] {
            return sawRunning && !engine->harvesting() &&
                   Find<QLabel>("Panel3")->text() == QStringLiteral("Try a different search");
        },
        60000))
        << "requests " << web.RequestCount() << ", harvesting " << engine->harvesting() << ", panels '"
        << engine->StatusText(1) << "' '" << engine->StatusText(2) << "' '" << engine->StatusText(3) << "'";

    // Pages that arrived before the end are still read to the end; their numbers are counted and
    // saved as they are stored.
    const auto stats = form->findChildren<QLabel*>(QStringLiteral("lblStats"));
    ASSERT_TRUE(tarnwick::testing::BuilderHarness::RunUntil(
        [&] {
            const QString count = QString::number(env.database().AllFaxes().size());
            return env.Stored(QStringLiteral("lHistEmailFound")) == count && stats[2]->text() == count;
        },
        10000));

    // Numbers of the fixture web only, each stored once. Not all of them: the first website of
    // the batch is dropped unfetched, and the downloads still running when the queue runs dry end
    // with the harvest.
    const std::vector<std::string> stored = env.database().AllFaxes();
    EXPECT_EQ(std::set<std::string>(stored.begin(), stored.end()).size(), stored.size());
    for (const std::string& number : stored) {
        EXPECT_EQ(numbers.count(number), 1u) << number;
    }
    ASSERT_GE(stored.size(), numbers.size() / 2);

    // The preview holds the newest numbers in the order they were stored, with their regions.
    auto* list3 = Find<QListWidget>("List3");
    ASSERT_EQ(list3->count(), 21);
    for (int i = 0; i < list3->count(); ++i) {
        const std::string line = list3->item(i)->text().toStdString();
        const std::string& expected = stored[stored.size() - 21 + std::size_t(i)];
        EXPECT_EQ(line.substr(0, line.find(" | ")), expected);
        EXPECT_EQ(line.substr(expected.size(), 3), " | ") << line;
        EXPECT_GT(line.size(), expected.size() + 3) << line;
    }

    // The window shows the end of the run.
    EXPECT_EQ(Find<QLabel>("Panel1")->text(), QStringLiteral("Stopped"));
    EXPECT_TRUE(Find<QToolButton>("Command1")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("cmdStop")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("Command2")->isEnabled());
    EXPECT_EQ(stats[2]->text(), QString::number(stored.size()));
    EXPECT_EQ(stats[4]->text(), QString::number(stored.size()));
    EXPECT_EQ(env.Stored(QStringLiteral("lHistEmailFound")), QString::number(stored.size()));
}

TEST_F(HarvestFromTheWindow, StopTakesEffectAtOnceWhileDownloadsAreInFlight) {
    ServeSites(45);
    for (int i = 0; i < 45; ++i) {
        web.SetHostility("clinic" + std::to_string(i) + ".com", Hostility::Silent);
    }
    ChooseAndAdd("dentists");
    Find<QToolButton>("Command1")->click();
    ASSERT_TRUE(
        tarnwick::testing::BuilderHarness::RunUntil([&] { return web.OpenConnections() >= 10; }, 30000));
    ASSERT_TRUE(engine->harvesting());

    Find<QToolButton>("cmdStop")->click();
    EXPECT_FALSE(engine->harvesting());
    EXPECT_EQ(Find<QLabel>("Panel1")->text(), QStringLiteral("Stopped"));
    EXPECT_TRUE(Find<QToolButton>("Command1")->isEnabled());
    EXPECT_TRUE(Find<QToolButton>("cmdResume")->isEnabled()); // websites are still queued
    EXPECT_TRUE(env.database().AllFaxes().empty());
}

} // namespace
} // namespace tarnwick::test
