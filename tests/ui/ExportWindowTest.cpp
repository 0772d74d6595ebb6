// The export window: the file for each separator, the dialog's start and cancel, and the
// deletion of the fax table only after Yes.
#include "UiTestSupport.h"
#include "ui/frmExport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

class ExportWindow : public testing::Test {
protected:
    void SetUp() override {
        for (std::string fax : {"1-212-555-0100", "1-303-555-0101", "+44-20-7946-0958"}) {
            std::string search = "phrase";
            env.database().AddFax(fax, "site.example", search, "Somewhere");
        }
        w.form->Load();
        w.Find<QPushButton>("Command2")->click();
        window = w.form->exportWindow();
        ASSERT_NE(window, nullptr);
        window->chooseFile = [this](const QString& start) {
            startPaths << start;
            return output;
        };
        window->confirmYesNo = [this](const QString& question) {
            questions << question;
            return answerYes;
        };
        window->showWarning = [this](const QString& message) { warnings << message; };
    }

    QByteArray Written() const {
        QFile file(output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    template <typename T> T* Control(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }

    UiEnvironment env;
    WindowUnderTest w{env};
    QPointer<frmExport> window;
    QString output = QString::fromStdString(env.appFolder()) + QStringLiteral("/numbers.txt");
    QStringList startPaths;
    QStringList questions;
    QStringList warnings;
    bool answerYes = false;
};

TEST_F(ExportWindow, ControlsAndTexts) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Export Faxes"));
    auto* combo = Control<QComboBox>("Combo1");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->placeholderText(), QStringLiteral("Semi-Colon delimited (;)"));
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Semi-Colon Delimited (;)"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("Tab Delimited (^t)"));
    EXPECT_EQ(combo->itemText(2), QStringLiteral("Line Feed Delimited (one per line)"));
    EXPECT_EQ(Control<QCheckBox>("Check2")->text(), QStringLiteral("Put a space between each entry"));
    EXPECT_EQ(Control<QCheckBox>("Check1")->text(), QStringLiteral("Delete all faxes when finished"));
    EXPECT_EQ(Control<QPushButton>("Command1")->text(), QStringLiteral("Export"));
}

struct SeparatorCase {
    int index;
    bool space;
    const char* expected;
};

class ExportSeparators : public ExportWindow, public testing::WithParamInterface<SeparatorCase> {};

TEST_P(ExportSeparators, EachFaxIsFollowedByTheSeparatorThenOneLineEnd) {
    Control<QComboBox>("Combo1")->setCurrentIndex(GetParam().index);
    Control<QCheckBox>("Check2")->setChecked(GetParam().space);
    Control<QPushButton>("Command1")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Written(), QByteArray(GetParam().expected));
    EXPECT_EQ(startPaths,
              QStringList{QString::fromStdString(env.appFolder()) + QStringLiteral("/export.txt")});
    EXPECT_TRUE(window.isNull()); // the window closes after the export
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(env.database().CountFaxes(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    EveryChoice, ExportSeparators,
    testing::Values(SeparatorCase{-1, false, "1-212-555-0100;1-303-555-0101;+44-20-7946-0958;\r\n"},
                    SeparatorCase{0, false, "1-212-555-0100;1-303-555-0101;+44-20-7946-0958;\r\n"},
                    SeparatorCase{0, true, "1-212-555-0100; 1-303-555-0101; +44-20-7946-0958; \r\n"},
                    SeparatorCase{1, true, "1-212-555-0100\t1-303-555-0101\t+44-20-7946-0958\t\r\n"},
                    SeparatorCase{2, false, "1-212-555-0100\r\n1-303-555-0101\r\n+44-20-7946-0958\r\n\r\n"}));

TEST_F(ExportWindow, AnExistingFileIsReplaced) {
    QFile old(output);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(500, 'x'));
    old.close();
    Control<QPushButton>("Command1")->click();
    EXPECT_EQ(Written(), QByteArray("1-212-555-0100;1-303-555-0101;+44-20-7946-0958;\r\n"));
}

TEST_F(ExportWindow, NoKeepsEveryFaxAndYesDeletesThemAfterTheFileIsWritten) {
    Control<QCheckBox>("Check1")->setChecked(true);
    answerYes = false;
    Control<QPushButton>("Command1")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(questions, QStringList{QStringLiteral("Are you sure you want to delete all faxes?")});
    EXPECT_EQ(env.database().CountFaxes(), 3);
    EXPECT_EQ(w.Find<QListWidget>("List3")->count(), 3);
    EXPECT_TRUE(window.isNull());

    w.engine->SetStatistics({0, 0, 7, 0, 7});
    w.Find<QPushButton>("Command2")->click();
    window = w.form->exportWindow();
    ASSERT_FALSE(window.isNull());
    window->chooseFile = [this](const QString&) { return output; };
    window->confirmYesNo = [this](const QString&) {
        EXPECT_EQ(env.database().CountFaxes(), 3); // asked only after the file is written
        EXPECT_EQ(Written().count(';'), 3);
        return true;
    };
    Control<QCheckBox>("Check1")->setChecked(true);
    Control<QPushButton>("Command1")->click();
    EXPECT_EQ(env.database().CountFaxes(), 0);
    EXPECT_EQ(w.Find<QListWidget>("List3")->count(), 0);
    EXPECT_EQ(w.engine->Stats().sessionNumbersFound, 0);
    EXPECT_EQ(Written(), QByteArray("1-212-555-0100;1-303-555-0101;+44-20-7946-0958;\r\n"));
}

TEST_F(ExportWindow, AFileThatCannotBeWrittenKeepsEveryNumberAndTheWindowOpen) {
    output = QString::fromStdString(env.appFolder()) + QStringLiteral("/no-such-folder/numbers.txt");
    Control<QCheckBox>("Check1")->setChecked(true);
    answerYes = true;
    Control<QPushButton>("Command1")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(questions.isEmpty());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.front().contains(output));
    EXPECT_EQ(env.database().CountFaxes(), 3);
    EXPECT_EQ(w.Find<QListWidget>("List3")->count(), 3);
    EXPECT_FALSE(window.isNull());
}

TEST_F(ExportWindow, AStoreThatCannotBeReadWritesNothingAndAsksNothing) {
    ASSERT_TRUE(QFile::remove(QString::fromStdString(env.appFolder()) + QStringLiteral("/spider.mdb")));
    Control<QCheckBox>("Check1")->setChecked(true);
    answerYes = true;
    Control<QPushButton>("Command1")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_TRUE(questions.isEmpty());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.front().contains(output));
    EXPECT_FALSE(window.isNull());
}

TEST_F(ExportWindow, YesKeepsANumberStoredWhileTheQuestionWasOpen) {
    Control<QCheckBox>("Check1")->setChecked(true);
    window->confirmYesNo = [this](const QString&) {
        std::string fax = "1-415-555-0199";
        std::string search = "phrase";
        env.database().AddFax(fax, "late.example", search, "California");
        return true;
    };
    Control<QPushButton>("Command1")->click();
    EXPECT_EQ(Written(), QByteArray("1-212-555-0100;1-303-555-0101;+44-20-7946-0958;\r\n"));
    EXPECT_EQ(env.database().AllFaxes(), std::vector<std::string>{"1-415-555-0199"});
    EXPECT_EQ(w.Find<QListWidget>("List3")->count(), 1);
}

TEST_F(ExportWindow, ACancelledDialogExportsNothingAndKeepsTheWindowOpen) {
    output.clear();
    Control<QCheckBox>("Check1")->setChecked(true);
    answerYes = true;
    Control<QPushButton>("Command1")->click();
    EXPECT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(env.database().CountFaxes(), 3);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(env.appFolder()) + QStringLiteral("/export.txt")));
}

TEST_F(ExportWindow, TheExportButtonShowsOneWindowAtATime) {
    w.Find<QPushButton>("Command2")->click();
    EXPECT_EQ(w.form->exportWindow(), window.data());
    EXPECT_EQ(w.form->findChildren<frmExport*>().size(), 1);
}

TEST(ExportWindowQuestion, IsAYesNoBoxUnderTheProgramName) {
    UiEnvironment env;
    WindowUnderTest w(env);
    frmExport window(*w.engine);
    SeenBox seen;
    AnswerNextMessageBox(QMessageBox::No, seen);
    EXPECT_FALSE(window.confirmYesNo(QStringLiteral("Are you sure you want to delete all faxes?")));
    EXPECT_EQ(seen.title, QStringLiteral("Tarnwick"));
    EXPECT_EQ(seen.text, QStringLiteral("Are you sure you want to delete all faxes?"));
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    AnswerNextMessageBox(QMessageBox::Yes, seen);
    EXPECT_TRUE(window.confirmYesNo(QStringLiteral("Are you sure you want to delete all faxes?")));
}

} // namespace
} // namespace tarnwick::test
