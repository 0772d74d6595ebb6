// The main window's controls, its add and delete handlers, the layout on resize, the statistics
// display, the database folder and the unload.
#include "UiTestSupport.h"
#include "ui/frmExport.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->item(i)->text();
    }
    return items;
}

void Select(QListWidget* list, int row) {
    list->clearSelection();
    if (row >= 0) {
        list->item(row)->setSelected(true);
    }
}

TEST(MainWindowControls, CaptionsTooltipsAndStartStates) {
    UiEnvironment env;
    WindowUnderTest w(env);
    struct Expected {
        const char* name;
        const char* caption;
        const char* tip;
        bool enabled;
    };
    const Expected buttons[] = {
        {"Command1", "Start", "Begin Harvesting Faxes", true},
        {"cmdNextSearch", "Next", "Skip to your next search string", false},
        {"cmdStop", "Stop", "Stop harvesting faxes", false},
        {"cmdResume", "Resume", "Resume harvesting emails", false},
        {"cmdAdd", "Add", "Add", true},
        {"cmbDel", "Del", "Delete", true},
    };
    for (const Expected& e : buttons) {
        SCOPED_TRACE(e.name);
        auto* button = w.Find<QToolButton>(e.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QLatin1String(e.caption));
        EXPECT_EQ(button->toolTip(), QLatin1String(e.tip));
        EXPECT_EQ(button->isEnabled(), e.enabled);
        EXPECT_FALSE(button->icon().isNull());
    }
    const Expected pushButtons[] = {
        {"cmdWebsite", "Visit www.test.example", "Open Browser", true},
        {"cmdViewDatabase", "View Fax Database", "Spider.mdb stores all thefaxes you have found", true},
        {"Command2", "Export Numbers to List", "Export all the faxes you have found", true},
        {"Command3", "Delete All Fax Numbers", "Delete all saved faxes", true},
    };
    for (const Expected& e : pushButtons) {
        SCOPED_TRACE(e.name);
        auto* button = w.Find<QPushButton>(e.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QLatin1String(e.caption));
        EXPECT_EQ(button->toolTip(), QLatin1String(e.tip));
        EXPECT_EQ(button->isEnabled(), e.enabled);
    }
    EXPECT_FALSE(w.Find<QPushButton>("cmdDoSearch")->isVisibleTo(w.form.get()));
    EXPECT_EQ(w.Find<QPushButton>("cmdDoSearch")->text(), QStringLiteral("Start Search"));
    EXPECT_FALSE(w.Find<QLineEdit>("txtSearch")->isVisibleTo(w.form.get()));
    EXPECT_EQ(w.Find<QComboBox>("Combo1")->placeholderText(), QStringLiteral("Which Search Type?"));
    EXPECT_EQ(w.Find<QComboBox>("Combo2")->placeholderText(), QStringLiteral("How Many Results?"));
    EXPECT_EQ(w.Find<QComboBox>("Combo2")->itemText(5), QStringLiteral("~10000 Domains"));
    EXPECT_EQ(w.Find<QComboBox>("cmbAdvance")->count(), 8);

    const std::pair<const char*, const char*> frames[] = {
        {"Frame1", "Searches"}, {"Frame2", "Emails"}, {"Frame4", "Options"}, {"Frame3", "Statistics"}};
    for (const auto& [name, title] : frames) {
        EXPECT_EQ(w.Find<QGroupBox>(name)->title(), QLatin1String(title));
    }

    // Design geometry at 96 DPI: 15 twips to a pixel.
    const int dpi = w.form->logicalDpiX();
    const auto px = [dpi](int twips) { return int(std::lround(twips * dpi / 1440.0)); };
    EXPECT_EQ(w.Find<QToolButton>("Command1")->geometry(), QRect(px(2340), px(60), px(1095), px(735)));
    EXPECT_EQ(w.Find<QLineEdit>("Text1")->geometry(), QRect(px(1200), px(960), px(2175), px(315)));

    w.form->Load();
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Tarnwick by Test Works"));
    for (const char* item : {"mnuFileItem", "mnuHelpItem", "mnuAboutItem"}) {
        EXPECT_NE(w.form->findChild<QAction*>(QLatin1String(item)), nullptr) << item;
    }
    EXPECT_EQ(w.form->findChild<QAction*>(QStringLiteral("mnuHelpItem"))->text(),
              QStringLiteral("View Help File"));
    EXPECT_EQ(w.form->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^Panel[1-4]$"))).size(), 4);
}

TEST(MainWindowSearches, EnterInText1AddsThePhraseOnceAndEmptiesTheBox) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    auto* text = w.Find<QLineEdit>("Text1");
    text->setText(QStringLiteral("dentists fax"));
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(Items(w.Find<QListWidget>("List1")), QStringList{QStringLiteral("dentists fax")});
    EXPECT_TRUE(text->text().isEmpty());
    EXPECT_EQ(env.database().Searches(), std::vector<std::string>{"dentists fax"});

    // An empty box adds an empty phrase; nothing checks for empty or repeated texts.
    w.Find<QToolButton>("cmdAdd")->click();
    EXPECT_EQ(w.Find<QListWidget>("List1")->count(), 2);
    EXPECT_EQ(w.Find<QListWidget>("List1")->item(1)->text(), QString());
    EXPECT_TRUE(w.prompts.messages.empty());
}

TEST(MainWindowSearches, DeleteMessagesDependOnTheSelectionAndTheList) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    auto* del = w.Find<QToolButton>("cmbDel");
    auto* list = w.Find<QListWidget>("List1");

    del->click(); // empty list, nothing selected
    EXPECT_TRUE(w.prompts.messages.empty());

    for (const char* phrase : {"first", "second", "third"}) {
        w.Find<QLineEdit>("Text1")->setText(QLatin1String(phrase));
        w.Find<QToolButton>("cmdAdd")->click();
    }
    Select(list, -1);
    del->click();
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0].first, "You must select a search to delete.");

    Select(list, 1);
    del->click();
    EXPECT_EQ(Items(list), (QStringList{QStringLiteral("first"), QStringLiteral("third")}));
    EXPECT_EQ(env.database().Searches(), (std::vector<std::string>{"first", "third"}));
    EXPECT_EQ(w.prompts.messages.size(), 1u);
}

TEST(MainWindowSearches, TheCurrentSearchCannotBeDeletedWhileHarvesting) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    for (const char* phrase : {"first", "second"}) {
        w.Find<QLineEdit>("Text1")->setText(QLatin1String(phrase));
        w.Find<QToolButton>("cmdAdd")->click();
    }
    w.Find<QPushButton>("cmdDoSearch")->click(); // a harvest with nothing queued stays running
    ASSERT_TRUE(w.engine->harvesting());
    EXPECT_TRUE(w.Find<QToolButton>("cmdStop")->isEnabled());
    EXPECT_TRUE(w.Find<QToolButton>("cmdNextSearch")->isEnabled());
    EXPECT_FALSE(w.Find<QPushButton>("Command3")->isEnabled());

    Select(w.Find<QListWidget>("List1"), 0);
    w.Find<QToolButton>("cmbDel")->click();
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0].first,
              "You cannot delete the current search while the spider is harvesting faxes.");
    EXPECT_EQ(w.Find<QListWidget>("List1")->count(), 2);
    EXPECT_EQ(env.database().Searches().size(), 2u);

    w.Find<QToolButton>("cmdStop")->click();
    EXPECT_FALSE(w.engine->harvesting());
    EXPECT_EQ(w.form->findChild<QLabel*>(QStringLiteral("Panel1"))->text(), QStringLiteral("Stopped"));
    EXPECT_TRUE(w.Find<QToolButton>("Command1")->isEnabled());
}

TEST(MainWindowSearches, CancelInConfirmDeleteChangesNothingAndOkDeletesTheQueue) {
    UiEnvironment env;
    for (std::string phrase : {"first", "second"}) {
        env.database().AddSearch(phrase);
    }
    for (std::string site : {"a.example", "b.example", "c.example"}) {
        env.database().AddWebsite(site);
    }
    WindowUnderTest w(env);
    w.form->Load();
    auto* resume = w.Find<QToolButton>("cmdResume");
    auto* list1 = w.Find<QListWidget>("List1");
    auto* list2 = w.Find<QListWidget>("List2");
    ASSERT_TRUE(resume->isEnabled()); // a search and a pending batch
    const QStringList phrases = Items(list1);
    const QStringList sites = Items(list2);
    ASSERT_EQ(sites.size(), 3);

    w.prompts.answers = {false};
    Select(list1, 0);
    w.Find<QToolButton>("cmbDel")->click();
    ASSERT_EQ(w.prompts.questions.size(), 1u);
    EXPECT_EQ(w.prompts.questions[0].first,
              "You will not be able to resume the current search if it is deleted.\r\n\r\nContinue?");
    EXPECT_EQ(w.prompts.questions[0].second, "Confirm Delete");
    EXPECT_EQ(Items(list1), phrases);
    EXPECT_EQ(Items(list2), sites);
    EXPECT_TRUE(resume->isEnabled());
    EXPECT_EQ(env.database().Searches().size(), 2u);

    w.prompts.answers = {true};
    Select(list1, 0);
    w.Find<QToolButton>("cmbDel")->click();
    EXPECT_EQ(Items(list1), QStringList{QStringLiteral("second")});
    EXPECT_EQ(list2->count(), 0);
    EXPECT_FALSE(resume->isEnabled());
    EXPECT_EQ(env.database().Searches(), std::vector<std::string>{"second"});
}

TEST(MainWindowFaxes, DeleteAllAsksAndConfirms) {
    UiEnvironment env;
    std::string fax = "1-212-555-0100";
    std::string search = "phrase";
    env.database().AddFax(fax, "a.example", search, "New York");
    WindowUnderTest w(env);
    w.form->Load();
    auto* list3 = w.Find<QListWidget>("List3");
    ASSERT_EQ(list3->count(), 1);

    w.prompts.answers = {false};
    w.Find<QPushButton>("Command3")->click();
    ASSERT_EQ(w.prompts.questions.size(), 1u);
    EXPECT_EQ(w.prompts.questions[0].first, "Are you sure you want to delete all faxes from the database?");
    EXPECT_EQ(w.prompts.questions[0].second, "Confirm");
    EXPECT_EQ(list3->count(), 1);
    EXPECT_EQ(env.database().CountFaxes(), 1);

    w.Find<QPushButton>("Command3")->click();
    EXPECT_EQ(list3->count(), 0);
    EXPECT_EQ(env.database().CountFaxes(), 0);
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0].first, "All faxes have been deleted.");
}

TEST(MainWindowLayout, ShrinkingNeverGivesANegativeGeometry) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    w.form->show();
    for (const QSize size : {QSize(100, 100), QSize(180, 640), QSize(640, 120), QSize(100, 100)}) {
        SCOPED_TRACE(size.width());
        w.form->resize(size);
        QApplication::processEvents();
        for (const QWidget* child : w.form->findChildren<QWidget*>()) {
            if (child->objectName().startsWith(QLatin1String("qt_")) || !child->isVisible()) {
                continue; // the toolkit's own parts, e.g. the menu bar's overflow button
            }
            const QRect g = child->geometry();
            EXPECT_TRUE(g.x() >= 0 && g.y() >= 0 && g.width() >= 0 && g.height() >= 0)
                << child->objectName().toStdString() << " " << g.x() << "," << g.y() << " " << g.width()
                << "x" << g.height();
            const QRect t = w.form->TwipGeometry(child);
            EXPECT_TRUE(t.x() >= 0 && t.y() >= 0 && t.width() >= 0 && t.height() >= 0)
                << child->objectName().toStdString();
        }
    }
}

TEST(MainWindowLayout, TheRightColumnHugsTheEdgeAndTheLeftFramesShareTheRest) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    w.form->show();
    w.form->resize(1000, 760);
    QApplication::processEvents();
    const int dpi = w.form->logicalDpiX();
    const int W = int(std::lround(w.form->frameGeometry().width() * 1440.0 / dpi));
    const auto twips = [&](const char* name) {
        return w.form->TwipGeometry(w.form->findChild<QWidget*>(QLatin1String(name)));
    };
    const QRect frame1 = twips("Frame1");
    const QRect frame2 = twips("Frame2");
    const QRect frame3 = twips("Frame3");
    const QRect frame4 = twips("Frame4");
    EXPECT_EQ(frame3.left(), W - 2595 - 175);
    EXPECT_EQ(frame4.left(), frame3.left());
    EXPECT_EQ(frame3.width(), 2595);
    EXPECT_EQ(frame4.width(), 2595);
    EXPECT_EQ(frame2.width(), std::abs(frame3.left() / 2 - 80));
    EXPECT_EQ(frame1.width(), frame2.width());
    EXPECT_EQ(frame2.left(), frame3.left() - frame2.width() - 50);
    EXPECT_EQ(frame1.left(), 60);
    EXPECT_EQ(frame1.height(), frame4.height() + frame3.height());
    EXPECT_EQ(frame2.height(), frame1.height());
    EXPECT_EQ(twips("List1").width(), frame1.width() - 240);
    EXPECT_EQ(twips("Command3").width(), twips("List1").width());
    EXPECT_EQ(twips("List2").height(), frame1.height() - 3720 - 100);
    EXPECT_EQ(twips("cmdWebsite").width(), W - 6900 - 200);

    // The progress bar sits over the fourth panel.
    const QRect panel4 = w.form->findChild<QLabel*>(QStringLiteral("Panel4"))->geometry();
    const QRect bar = w.form->findChild<QProgressBar*>(QStringLiteral("pb1"))->geometry();
    EXPECT_NEAR(bar.left(), panel4.left() + 25 * dpi / 1440.0, 1.0);
    EXPECT_LT(bar.right(), panel4.right() + 1);
    const QRect statusBar = w.form->findChild<QWidget*>(QStringLiteral("StatusBar1"))->geometry();
    EXPECT_GE(bar.top(), statusBar.top());
    EXPECT_LE(bar.bottom(), statusBar.bottom());
    EXPECT_EQ(twips("Panel1").width(), W / 2);
    EXPECT_EQ(twips("Panel2").width(), W / 6);
}

TEST(MainWindowStatistics, CountersShowAsPlainIntegersAlsoOnTheSkinnedCopies) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    w.engine->SetStatistics({1234, 5, 0, 1234567, 2000000000});
    const QStringList expected = {QStringLiteral("1234"), QStringLiteral("5"), QStringLiteral("0"),
                                  QStringLiteral("1234567"), QStringLiteral("2000000000")};
    const auto labels = w.form->findChildren<QLabel*>(QStringLiteral("lblStats"));
    ASSERT_EQ(labels.size(), 5);
    for (int i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(labels[i]->text(), expected[i]);
        // Whatever label is drawn at the value's place shows the same text.
        for (const QLabel* other : labels[i]->parentWidget()->findChildren<QLabel*>()) {
            if (other->geometry() == labels[i]->geometry()) {
                EXPECT_EQ(other->text(), expected[i]);
            }
        }
    }
}

TEST(MainWindowFolder, ViewDatabaseOpensTheApplicationFolder) {
    UiEnvironment env;
    WindowUnderTest w(env);
    QUrl opened;
    w.form->openFolder = [&opened](const QUrl& url) { opened = url; };
    w.form->Load();
    w.Find<QPushButton>("cmdViewDatabase")->click();
    EXPECT_EQ(opened, QUrl::fromLocalFile(QString::fromStdString(env.appFolder())));
}

TEST(MainWindowHooks, MenusAndWebsiteButtonAskForTheirWindows) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    QSignalSpy help(w.form.get(), &Form1::helpRequested);
    QSignalSpy about(w.form.get(), &Form1::aboutRequested);
    QSignalSpy website(w.form.get(), &Form1::websiteRequested);
    w.form->findChild<QAction*>(QStringLiteral("mnuHelpItem"))->trigger();
    w.form->findChild<QAction*>(QStringLiteral("mnuAboutItem"))->trigger();
    w.Find<QPushButton>("cmdWebsite")->click();
    EXPECT_EQ(help.count(), 1);
    EXPECT_EQ(about.count(), 1);
    EXPECT_EQ(website.count(), 1);
}

TEST(MainWindowUnload, ExitStopsTheHarvestAndClosesTheExportWindow) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    w.form->show();
    w.Find<QLineEdit>("Text1")->setText(QStringLiteral("phrase"));
    w.Find<QToolButton>("cmdAdd")->click();
    w.Find<QPushButton>("Command2")->click();
    QPointer<frmExport> exportWindow = w.form->exportWindow();
    ASSERT_TRUE(exportWindow);
    EXPECT_TRUE(exportWindow->isVisible());
    w.Find<QPushButton>("cmdDoSearch")->click();
    ASSERT_TRUE(w.engine->harvesting());

    QSignalSpy unloading(w.form.get(), &Form1::unloading);
    w.form->findChild<QAction*>(QStringLiteral("mnuFileItem"))->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w.engine->harvesting());
    EXPECT_EQ(unloading.count(), 1);
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_TRUE(exportWindow.isNull());
}

} // namespace
} // namespace tarnwick::test
