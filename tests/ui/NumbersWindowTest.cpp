// The numbers window opened from the main window's File menu: status line, region list, copying,
// opening a website, deleting with confirmation, CSV export, kept layout and live updates.
#include "ui/NumbersWindow.h"

#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

class NumbersWindowTest : public testing::Test {
protected:
    void SetUp() override {
        AddFax("1-312-555-0100", "www.chicago-law.example/contact", "lawyers, Chicago", "Illinois");
        AddFax("1-212-555-0101", "dentists.example", "dentists", "New York");
        AddFax("1-217-555-0102", "springfield.example", "the \"best\" caf\xE9", "Illinois");
        w.form->Load();
        Open();
    }

    void AddFax(std::string fax, const std::string& website, std::string search,
                const std::string& location) {
        env.database().AddFax(fax, website, search, location);
    }

    void Open() {
        w.form->findChild<QAction*>(QStringLiteral("mnuBrowseNumbers"))->trigger();
        window = w.form->numbersWindow();
        ASSERT_NE(window, nullptr);
        window->openUrl = [this](const QUrl& url) { opened << url; };
        window->chooseFile = [this](const QString& start, std::function<void(const QString&)> answer) {
            startPaths << start;
            answer(output);
        };
        window->confirmYesNo = [this](const QString& question, std::function<void(bool)> answer) {
            questions << question;
            answer(answerYes);
        };
        window->showWarning = [this](const QString& message) { warnings << message; };
        table = window->table();
        // Store order, so rows are easy to name.
        table->sortByColumn(NumbersModel::Number, Qt::AscendingOrder);
    }

    template <typename T> T* Control(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    QString Status() const { return Control<QLabel>("lblNumbersStatus")->text(); }
    QString Number(int row) const { return table->model()->index(row, 0).data().toString(); }
    void SelectRows(std::initializer_list<int> rows) {
        table->clearSelection();
        for (const int row : rows) {
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    QByteArray Written() const {
        QFile file(output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    UiEnvironment env;
    WindowUnderTest w{env};
    QPointer<NumbersWindow> window;
    QTableView* table = nullptr;
    QString output = QString::fromStdString(env.appFolder()) + QStringLiteral("/out.csv");
    QList<QUrl> opened;
    QStringList startPaths;
    QStringList questions;
    QStringList warnings;
    bool answerYes = false;
};

TEST_F(NumbersWindowTest, FileMenuOpensOneModelessWindowBeforeExit) {
    const QList<QAction*> file = w.form->findChild<QMenu*>(QStringLiteral("mnuFile"))->actions();
    ASSERT_EQ(file.size(), 2);
    EXPECT_EQ(file[0]->text(), QString::fromUtf8("Browse Numbers…"));
    EXPECT_EQ(file[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
    EXPECT_EQ(file[1]->text(), QStringLiteral("Exit"));

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Numbers"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    file[0]->trigger();
    EXPECT_EQ(w.form->numbersWindow(), window.data());
    EXPECT_EQ(w.form->findChildren<NumbersWindow*>().size(), 1);

    QStringList columns;
    for (int column = 0; column < table->model()->columnCount(); ++column) {
        columns << table->model()->headerData(column, Qt::Horizontal).toString();
    }
    EXPECT_EQ(columns, Texts({"Number", "Region", "Website", "Search", "Found"}));
}

TEST_F(NumbersWindowTest, StatusLineAndRegionListFollowSearchAndFilter) {
    EXPECT_EQ(Status(), QStringLiteral("3 of 3 numbers"));
    auto* regions = Control<QComboBox>("cmbRegion");
    QStringList entries;
    for (int i = 0; i < regions->count(); ++i) {
        entries << regions->itemText(i);
    }
    EXPECT_EQ(entries, Texts({"All regions", "Illinois (2)", "New York (1)"}));

    QTest::keyClicks(Control<QLineEdit>("txtFind"), QStringLiteral("CHICAGO"));
    EXPECT_EQ(Status(), QStringLiteral("1 of 3 numbers"));
    Control<QLineEdit>("txtFind")->clear();
    regions->setCurrentIndex(1);
    EXPECT_EQ(Status(), QStringLiteral("2 of 3 numbers"));
    EXPECT_EQ(Number(0), QStringLiteral("1-217-555-0102"));
}

TEST_F(NumbersWindowTest, CtrlCCopiesTheSelectedRowsAsTabSeparatedTextUnderTheHeader) {
    SelectRows({2, 0});
    table->setFocus();
    QApplication::clipboard()->clear();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    const QString today = table->model()->index(0, NumbersModel::Found).data().toString();
    EXPECT_EQ(
        QApplication::clipboard()->text(),
        QStringLiteral("Number\tRegion\tWebsite\tSearch\tFound\n"
                       "1-212-555-0101\tNew York\tdentists.example\tdentists\t%1\n"
                       "1-312-555-0100\tIllinois\twww.chicago-law.example/contact\tlawyers, Chicago\t%1\n")
            .arg(today));
    EXPECT_EQ(today.size(), 10);
}

TEST_F(NumbersWindowTest, ContextMenuOffersCopyOpenAndDelete) {
    const QRect second = table->visualRect(table->model()->index(1, 0));
    QMenu* menu = window->ShowContextMenu(second.center());
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text();
        }
    }
    EXPECT_EQ(texts, Texts({"Copy number", "Open website", "Delete number"}));
    menu->actions()[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("1-217-555-0102"));
    menu->close();
}

TEST_F(NumbersWindowTest, EnterAndDoubleClickOpenTheWebsiteWithTheChosenScheme) {
    table->setFocus();
    table->setCurrentIndex(table->model()->index(2, 0));
    QTest::keyClick(table, Qt::Key_Return);
    w.Find<QCheckBox>("chkSecureWeb")->setChecked(true);
    const QRect first = table->visualRect(table->model()->index(0, 2));
    // A double-click is a press and release followed by a press that arrives as the double-click.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(QStringLiteral("http://www.chicago-law.example/contact")),
                                   QUrl(QStringLiteral("https://dentists.example"))}));
}

TEST_F(NumbersWindowTest, DeleteAsksFirstAndRemovesOnlyThatNumberWithoutTouchingTheCounters) {
    w.engine->SetStatistics({0, 0, 3, 0, 3});
    const QRect first = table->visualRect(table->model()->index(0, 0));
    window->ShowContextMenu(first.center())->actions().last()->trigger();
    EXPECT_EQ(questions, Texts({"Delete the number 1-212-555-0101?"}));
    EXPECT_EQ(env.database().CountFaxes(), 3);
    EXPECT_EQ(Status(), QStringLiteral("3 of 3 numbers"));

    answerYes = true;
    window->ShowContextMenu(first.center())->actions().last()->trigger();
    EXPECT_EQ(env.database().AllFaxes(), (std::vector<std::string>{"1-312-555-0100", "1-217-555-0102"}));
    EXPECT_EQ(Number(0), QStringLiteral("1-217-555-0102"));
    EXPECT_EQ(Status(), QStringLiteral("2 of 2 numbers"));
    EXPECT_EQ(Control<QComboBox>("cmbRegion")->count(), 2); // New York has gone from the list
    // The main window's preview of recent numbers shows the deleted one no more.
    EXPECT_TRUE(w.Find<QListWidget>("List3")
                    ->findItems(QStringLiteral("1-212-555-0101"), Qt::MatchStartsWith)
                    .isEmpty());
    EXPECT_EQ(w.engine->Stats().sessionNumbersFound, 3);
    EXPECT_EQ(w.engine->Stats().histNumbersFound, 3);
}

// The question waits for the user without an event loop of its own; numbers stored meanwhile
// move the rows, and the answer deletes the number it asked about, or nothing once it is gone.
TEST_F(NumbersWindowTest, TheAnswerComesLaterAndDeletesTheNumberAskedAbout) {
    std::vector<std::function<void(bool)>> pending;
    window->confirmYesNo = [&](const QString& question, std::function<void(bool)> answer) {
        questions << question;
        pending.push_back(std::move(answer));
    };
    const QRect first = table->visualRect(table->model()->index(0, 0));
    window->ShowContextMenu(first.center())->actions().last()->trigger();
    window->ShowContextMenu(first.center())->actions().last()->trigger();
    ASSERT_EQ(pending.size(), 2u);
    AddFax("1-100-555-0100", "first.example", "lawyers", "Unknown");
    window->Poll();
    ASSERT_EQ(Number(0), QStringLiteral("1-100-555-0100")) << "the asked row moved down";

    pending[0](true);
    EXPECT_EQ(env.database().AllFaxes(),
              (std::vector<std::string>{"1-312-555-0100", "1-217-555-0102", "1-100-555-0100"}));
    pending[1](true); // the same number, gone by now
    EXPECT_EQ(env.database().CountFaxes(), 3);
    EXPECT_TRUE(warnings.isEmpty());
}

TEST_F(NumbersWindowTest, ExportWritesTheShownRowsAsCsvInShownOrder) {
    Control<QLineEdit>("txtFind")->setText(QStringLiteral("illinois"));
    table->sortByColumn(NumbersModel::Number, Qt::DescendingOrder);
    Control<QPushButton>("cmdExportCsv")->click();
    EXPECT_EQ(startPaths,
              QStringList{QString::fromStdString(env.appFolder()) + QStringLiteral("/numbers.csv")});
    const QByteArray today = table->model()->index(0, NumbersModel::Found).data().toString().toUtf8();
    EXPECT_EQ(Written(), "number,region,website,search,found\r\n"
                         "1-312-555-0100,Illinois,www.chicago-law.example/contact,\"lawyers, Chicago\"," +
                             today +
                             "\r\n"
                             "1-217-555-0102,Illinois,springfield.example,\"the \"\"best\"\" caf\xC3\xA9\"," +
                             today + "\r\n");
    EXPECT_TRUE(warnings.isEmpty());
}

TEST_F(NumbersWindowTest, AFileThatCannotBeWrittenIsReportedAndNothingElseHappens) {
    output = QString::fromStdString(env.appFolder()) + QStringLiteral("/no such folder/numbers.csv");
    Control<QPushButton>("cmdExportCsv")->click();
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.value(0).contains(output));
    EXPECT_EQ(env.database().CountFaxes(), 3);

    // Cancelling the dialog does nothing at all.
    output.clear();
    Control<QPushButton>("cmdExportCsv")->click();
    EXPECT_EQ(warnings.size(), 1);
}

TEST_F(NumbersWindowTest, SortAndWidthsAreKeptForTheNextOpening) {
    table->sortByColumn(NumbersModel::Website, Qt::DescendingOrder);
    table->setColumnWidth(NumbersModel::Region, 211);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(window.isNull());
    EXPECT_EQ(env.Stored(QStringLiteral("tblNumbersSort")), QStringLiteral("2,1"));

    w.form->findChild<QAction*>(QStringLiteral("mnuBrowseNumbers"))->trigger();
    auto* again = w.form->numbersWindow()->table();
    EXPECT_EQ(again->horizontalHeader()->sortIndicatorSection(), NumbersModel::Website);
    EXPECT_EQ(again->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(again->columnWidth(NumbersModel::Region), 211);
    EXPECT_EQ(again->model()->index(0, NumbersModel::Website).data().toString(),
              QStringLiteral("www.chicago-law.example/contact"));
}

TEST_F(NumbersWindowTest, EditedLayoutSettingsFallBackToTheDefaults) {
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const auto& [sort, widths] :
         {std::pair{"9,0", "1,2,3"}, std::pair{"2,7", "x,1,1,1,1"}, std::pair{"", "100,100,100,100,99999"}}) {
        env.Store(QStringLiteral("tblNumbersSort"), QString::fromUtf8(sort));
        env.Store(QStringLiteral("tblNumbersWidths"), QString::fromUtf8(widths));
        w.form->findChild<QAction*>(QStringLiteral("mnuBrowseNumbers"))->trigger();
        NumbersWindow* opened = w.form->numbersWindow();
        auto* header = opened->table()->horizontalHeader();
        EXPECT_EQ(header->sortIndicatorSection(), NumbersModel::Found) << sort;
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder) << sort;
        EXPECT_EQ(opened->table()->columnWidth(NumbersModel::Number), 130) << widths;
        opened->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(NumbersWindowTest, NumbersStoredMeanwhileAppearWithoutLosingSelectionOrFilter) {
    Control<QLineEdit>("txtFind")->setText(QStringLiteral("555"));
    SelectRows({1});
    AddFax("1-312-555-0103", "more.example", "lawyers", "Illinois");
    AddFax("1-999-000-0000", "other.example", "nothing", "Illinois");
    window->Poll();
    EXPECT_EQ(Status(), QStringLiteral("4 of 5 numbers"));
    ASSERT_EQ(table->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(table->selectionModel()->selectedRows()[0].data().toString(), QStringLiteral("1-217-555-0102"));
    EXPECT_EQ(Control<QComboBox>("cmbRegion")->itemText(1), QStringLiteral("Illinois (4)"));
}

TEST_F(NumbersWindowTest, RowsStoredAboveTheViewLeaveTheRowsOnScreenWhereTheyAre) {
    for (int i = 0; i < 200; ++i) {
        AddFax("1-500-555-" + std::to_string(1000 + i), "more.example", "lawyers", "Illinois");
    }
    window->Poll();
    window->resize(600, 300);
    table->verticalScrollBar()->setValue(50);
    const QString top = table->indexAt(QPoint(0, 0)).data().toString();
    ASSERT_FALSE(top.isEmpty());

    for (int i = 0; i < 5; ++i) {
        AddFax("1-100-555-" + std::to_string(1000 + i), "first.example", "lawyers", "Illinois");
    }
    window->Poll();
    EXPECT_EQ(Number(0), QStringLiteral("1-100-555-1000"));
    EXPECT_EQ(table->indexAt(QPoint(0, 0)).data().toString(), top);

    // At the very top the view stays at the top and shows what came in.
    table->verticalScrollBar()->setValue(0);
    AddFax("1-099-555-1000", "first.example", "lawyers", "Illinois");
    window->Poll();
    EXPECT_EQ(table->indexAt(QPoint(0, 0)).data().toString(), QStringLiteral("1-099-555-1000"));
}

TEST(NumbersWindowStore, AStoreThatCannotBeReadShowsAnEmptyTableAndSaysSo) {
    UiEnvironment env;
    const QString file = QString::fromStdString(env.appFolder()) + QStringLiteral("/spider.mdb");
    ASSERT_TRUE(QFile::remove(file));
    QtSettingsStore settings;
    Database missing(file.toStdString());
    NumbersWindow window(missing, settings, QString::fromStdString(env.appFolder()), [] { return false; });
    EXPECT_EQ(window.table()->model()->rowCount(), 0);
    EXPECT_TRUE(window.StatusText().startsWith(QStringLiteral("The stored numbers could not be read.")))
        << window.StatusText().toStdString();
    EXPECT_FALSE(window.findChild<QPushButton*>(QStringLiteral("cmdExportCsv"))->isEnabled());
    window.Poll();
    EXPECT_FALSE(QFile::exists(file));
}

} // namespace
} // namespace tarnwick::test
