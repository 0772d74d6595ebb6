// What the window is shown: every setter announces only a change, the panels are addressed by
// name, and the button sequences of each run state.
#include "harvest/RunView.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(RunView, AnnouncesOnlyChanges) {
    RunView view;
    QSignalSpy status(&view, &RunView::statusTextChanged);
    QSignalSpy buttons(&view, &RunView::buttonEnabledChanged);
    QSignalSpy progress(&view, &RunView::progressChanged);
    QSignalSpy running(&view, &RunView::harvestingChanged);

    view.SetStatus(StatusPanel::Step, "Getting Links");
    view.SetStatus(StatusPanel::Step, "Getting Links");
    view.SetEnabled(Button::cmdStop, true);
    view.SetEnabled(Button::cmdStop, true);
    view.SetProgress(40);
    view.SetProgress(40);
    view.SetHarvesting(true);
    view.SetHarvesting(true);

    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status[0][0].toInt(), 2);
    EXPECT_EQ(status[0][1].toString(), QStringLiteral("Getting Links"));
    EXPECT_EQ(view.StatusText(StatusPanel::Step), "Getting Links");
    EXPECT_EQ(buttons.count(), 1);
    EXPECT_EQ(progress.count(), 1);
    EXPECT_EQ(running.count(), 1);
}

TEST(RunView, DownloadingNamesTheScheme) {
    RunView view;
    view.ShowDownloading(false, "www.a.com", "/x.html");
    EXPECT_EQ(view.StatusText(StatusPanel::Download), "Downloading: http://www.a.com/x.html");
    view.ShowDownloading(true, "b.example", "/");
    EXPECT_EQ(view.StatusText(StatusPanel::Download), "Downloading: https://b.example/");
}

// Next starts enabled: Start and a running harvest leave it as it is, a stop takes it away.
struct ButtonsCase {
    const char* name;
    void (*show)(RunView&);
    bool start, next, stop, resume, database;
};

TEST(RunView, ButtonsOfEachRunState) {
    const ButtonsCase cases[] = {
        {"listing", [](RunView& v) { v.ShowListing(); }, true, true, false, false, false},
        {"running", [](RunView& v) { v.ShowHarvestRunning(false); }, false, true, true, false, false},
        {"stopped with websites left", [](RunView& v) { v.ShowHarvestStopped(true); }, true, false, false,
         true, true},
        {"stopped, nothing left", [](RunView& v) { v.ShowHarvestStopped(false); }, true, false, false, false,
         true},
    };
    for (const ButtonsCase& c : cases) {
        RunView view;
        view.SetEnabled(Button::cmdNextSearch, true);
        c.show(view);
        EXPECT_EQ(view.IsEnabled(Button::Command1), c.start) << c.name;
        EXPECT_EQ(view.IsEnabled(Button::cmdNextSearch), c.next) << c.name;
        EXPECT_EQ(view.IsEnabled(Button::cmdStop), c.stop) << c.name;
        EXPECT_EQ(view.IsEnabled(Button::cmdResume), c.resume) << c.name;
        for (const Button b : {Button::cmdViewDatabase, Button::Command2, Button::Command3}) {
            EXPECT_EQ(view.IsEnabled(b), c.database) << c.name;
        }
    }
}

TEST(RunView, NextIsOfferedWhileHarvestingWithMorePhrases) {
    RunView view;
    view.List(ListId::List1) = {"a", "b"};
    view.UpdateNextButton();
    EXPECT_FALSE(view.IsEnabled(Button::cmdNextSearch));
    view.SetHarvesting(true);
    view.UpdateNextButton();
    EXPECT_TRUE(view.IsEnabled(Button::cmdNextSearch));
    view.List(ListId::List1) = {"a"};
    view.UpdateNextButton();
    EXPECT_FALSE(view.IsEnabled(Button::cmdNextSearch));
}

} // namespace
} // namespace tarnwick
