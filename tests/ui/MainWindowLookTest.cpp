// What the main window looks like and how often it redraws: disabled controls, the status bar
// and what lies above it, the captions of the small picture buttons, the status texts, the
// export window coming forward, and redraws at frame rate during a harvest.
#include "UiTestSupport.h"
#include "ui/Skin.h"
#include "ui/frmExport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

// The skin as the splash window sets it up at start-up, taken back afterwards.
class SkinnedWindow : public testing::Test {
protected:
    void SetUp() override {
        SetGlobalSkin(skin_);
        ASSERT_TRUE(skinEngine().Attach(skin_));
        ASSERT_TRUE(skinEngine().Apply());
        w.form->Load();
        w.form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.form.get()));
    }
    void TearDown() override {
        skinEngine().Release();
        SetGlobalSkin(nullptr);
    }

    std::shared_ptr<Skin> skin_ = std::make_shared<Skin>();
    UiEnvironment env;
    WindowUnderTest w{env};
};

// The part of a widget that can be seen, in the window's coordinates: its rectangle clipped by
// every container it sits in.
QRect VisibleRect(const QWidget* window, const QWidget* child) {
    QRect visible(child->mapTo(window, QPoint(0, 0)), child->size());
    for (const QWidget* parent = child->parentWidget(); parent != nullptr && parent != window;
         parent = parent->parentWidget()) {
        visible &= QRect(parent->mapTo(window, QPoint(0, 0)), parent->size());
    }
    return visible;
}

using MainWindowLook = SkinnedWindow;

TEST_F(MainWindowLook, DisabledControlsAreDrawnDimmed) {
    struct Case {
        const char* name;
        QPalette::ColorRole role;
    };
    const Case cases[] = {{"Command3", QPalette::ButtonText},
                          {"cmdNextSearch", QPalette::ButtonText},
                          {"chkAuto", QPalette::WindowText},
                          {"Combo1", QPalette::Text},
                          {"Combo1", QPalette::ButtonText}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* control = w.Find<QWidget>(c.name);
        ASSERT_NE(control, nullptr);
        control->setEnabled(false);
        const QPalette palette = control->palette();
        EXPECT_NE(palette.color(QPalette::Disabled, c.role), palette.color(QPalette::Active, c.role));
    }
    // The button a failed Start leaves disabled is told apart from its enabled neighbour.
    auto* deleteAll = w.Find<QPushButton>("Command3");
    auto* exportButton = w.Find<QPushButton>("Command2");
    ASSERT_EQ(deleteAll->size(), exportButton->size());
    exportButton->setText(deleteAll->text());
    EXPECT_NE(deleteAll->grab().toImage(), exportButton->grab().toImage());
}

TEST_F(MainWindowLook, NothingRunsUnderTheStatusBarAtTheDesignSizeAndWhenSmall) {
    auto* statusBar = w.Find<QWidget>("StatusBar1");
    for (const QSize size : {w.form->size(), QSize(560, 420)}) {
        SCOPED_TRACE(size.width());
        w.form->resize(size);
        QApplication::processEvents();
        const QRect bar = VisibleRect(w.form.get(), statusBar);
        ASSERT_FALSE(bar.isEmpty());
        for (const QWidget* child : w.form->findChildren<QWidget*>()) {
            if (!child->isVisible() || child == statusBar || statusBar->isAncestorOf(child) ||
                child->objectName() == QLatin1String("pb1") || child->window() != w.form.get() ||
                child->objectName().startsWith(QLatin1String("qt_")) || child->isAncestorOf(statusBar)) {
                continue;
            }
            EXPECT_FALSE(VisibleRect(w.form.get(), child).intersects(bar))
                << child->metaObject()->className() << " " << child->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowLook, NothingBehindTheStatusBarShowsThrough) {
    w.engine->SetStatusText(1, "Searching");
    auto* statusBar = w.Find<QWidget>("StatusBar1");
    auto* behind = new QWidget(statusBar->parentWidget());
    behind->setGeometry(statusBar->geometry());
    behind->setAutoFillBackground(true);
    QPalette red = behind->palette();
    red.setColor(QPalette::Window, Qt::red);
    behind->setPalette(red);
    behind->show();
    behind->stackUnder(statusBar);
    const QImage shot = w.form->grab().toImage();
    const QRect bar(statusBar->mapTo(w.form.get(), QPoint(0, 0)), statusBar->size());
    for (const QPoint point : {bar.topLeft() + QPoint(2, 2), bar.center(), bar.bottomRight() - QPoint(2, 2),
                               QPoint(bar.left() + bar.width() / 4, bar.center().y())}) {
        SCOPED_TRACE(point.x());
        EXPECT_NE(shot.pixelColor(point), QColor(Qt::red));
    }
}

TEST_F(MainWindowLook, TheSmallPictureButtonsShowTheirCaptions) {
    for (const char* name : {"cmdAdd", "cmbDel"}) {
        SCOPED_TRACE(name);
        auto* button = w.Find<QToolButton>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_NE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        EXPECT_NE(button->toolButtonStyle(), Qt::ToolButtonFollowStyle);
        EXPECT_FALSE(button->icon().isNull());
        // Picture and caption fit the button's design size.
        EXPECT_LE(button->sizeHint().width(), button->width());
        EXPECT_LE(button->sizeHint().height(), button->height());
    }
}

TEST_F(MainWindowLook, ACutStatusTextIsWhollyInItsTooltip) {
    const std::string text = "No more websites queued for this search, moving to the next one";
    for (int panel = 1; panel <= 4; ++panel) {
        SCOPED_TRACE(panel);
        auto* label = w.form->findChild<QLabel*>(QStringLiteral("Panel%1").arg(panel));
        ASSERT_NE(label, nullptr);
        const int width = label->width();
        w.engine->SetStatusText(panel, text);
        EXPECT_EQ(label->text(), QString::fromStdString(text));
        EXPECT_EQ(label->toolTip(), QString::fromStdString(text));
        EXPECT_EQ(label->width(), width);
    }
}

// An address from a hostile page may hold tags; the status bar shows them as they are written.
TEST_F(MainWindowLook, MarkupInAStatusTextIsShownAsText) {
    const std::string text =
        "Downloading: shop.example.com/<b>x</b><img src=\"/dev/zero\"><a href=\"y\">z</a>";
    auto* label = w.form->findChild<QLabel*>(QStringLiteral("Panel1"));
    ASSERT_NE(label, nullptr);
    w.engine->SetStatusText(1, text);
    EXPECT_EQ(label->text(), QString::fromStdString(text));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    QTextDocument tooltip;
    tooltip.setHtml(label->toolTip());
    EXPECT_EQ(tooltip.toPlainText(), QString::fromStdString(text)) << "the tooltip shows the tags as text";
}

TEST(MainWindowExport, AnOpenExportWindowComesForward) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    w.form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.form.get()));
    auto* exportButton = w.Find<QPushButton>("Command2");
    exportButton->click();
    frmExport* window = w.form->exportWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    window->showMinimized();
    w.form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.form.get()));
    exportButton->click();
    EXPECT_EQ(w.form->exportWindow(), window);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

// A harvest whose downloads stay unanswered, so it runs while the test drives the window.
void StartAQuietHarvest(UiEnvironment& env, WindowUnderTest& w) {
    w.form->Load();
    w.form->show();
    w.Find<QLineEdit>("Text1")->setText(QStringLiteral("phrase"));
    w.Find<QToolButton>("cmdAdd")->click();
    for (int i = 1; i <= 12; ++i) {
        std::string address = "192.0.2." + std::to_string(i) + "/"; // a documentation network
        env.database().AddWebsite(address);
    }
    w.Find<QPushButton>("cmdDoSearch")->click();
}

TEST(MainWindowRedraw, DuringAHarvestChangesAreDrawnAtFrameRateAndShownWithinATenthOfASecond) {
    UiEnvironment env;
    WindowUnderTest w(env);
    StartAQuietHarvest(env, w);
    ASSERT_TRUE(w.engine->harvesting());
    auto* sitesScanned = w.form->findChildren<QLabel*>(QStringLiteral("lblStats")).at(0);
    auto* panel2 = w.form->findChild<QLabel*>(QStringLiteral("Panel2"));

    const int before = w.form->RedrawCount();
    QElapsedTimer clock;
    clock.start();
    std::int32_t changes = 0;
    while (clock.elapsed() < 600) {
        w.engine->SetStatistics({++changes, 0, 0, 0, 0});
        w.engine->SetStatusText(2, "Scanned " + std::to_string(changes));
        QApplication::processEvents();
    }
    const qint64 spell = clock.elapsed();
    const int redraws = w.form->RedrawCount() - before;
    ASSERT_TRUE(w.engine->harvesting());
    ASSERT_GT(changes, 100); // a burst, far above frame rate
    EXPECT_LE(redraws, spell / Form1::kFrameMs + 2);
    EXPECT_GE(redraws, 2); // the window kept showing the burst as it went

    // The last change of the burst is on screen within 100 ms, without further events.
    QElapsedTimer shown;
    shown.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sitesScanned->text() == QString::number(changes); }, 1000));
    EXPECT_LT(shown.elapsed(), 100);
    EXPECT_EQ(panel2->text(), QStringLiteral("Scanned %1").arg(changes));

    // Stop shows its effect at once.
    w.Find<QToolButton>("cmdStop")->click();
    EXPECT_EQ(w.form->findChild<QLabel*>(QStringLiteral("Panel1"))->text(), QStringLiteral("Stopped"));
}

TEST(MainWindowRedraw, AListEntryKeepsItsItemWhenOnlyLaterEntriesChange) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    auto* list1 = w.Find<QListWidget>("List1");
    for (const char* phrase : {"first", "second"}) {
        w.Find<QLineEdit>("Text1")->setText(QLatin1String(phrase));
        w.Find<QToolButton>("cmdAdd")->click();
    }
    ASSERT_EQ(list1->count(), 2);
    const QListWidgetItem* first = list1->item(0);
    w.Find<QLineEdit>("Text1")->setText(QStringLiteral("third"));
    w.Find<QToolButton>("cmdAdd")->click();
    ASSERT_EQ(list1->count(), 3);
    EXPECT_EQ(list1->item(0), first);
    EXPECT_EQ(list1->item(2)->text(), QStringLiteral("third"));
}

} // namespace
} // namespace tarnwick::test
