// The main window's resize rule: the frames, lists, status panels and progress bar follow the window's
// size in twips, as the design places them; kept apart from the controls and handlers in Form1.cpp.
#include "ui/Form1.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>

namespace tarnwick {
namespace {

int Abs(int value) {
    return std::abs(value);
}

} // namespace

void Form1::PlaceStatusBar() {
    const int height = StatusBar1_->height();
    StatusBar1_->setGeometry(0, std::max(0, client_->height() - height), client_->width(), height);
    int left = 0;
    for (QLabel* panel : panels_) {
        if (!panel->isVisibleTo(StatusBar1_)) {
            continue;
        }
        const int width = layout_.Px(layout_.Geometry(panel).width());
        panel->setGeometry(left, 0, width, height);
        left += width;
    }
    StatusBar1_->raise();
    pb1_->raise();
}

void Form1::LayoutMainWindow() {
    const int W = layout_.Twips(frameGeometry().width());
    const int H = layout_.Twips(frameGeometry().height());
    const int statusHeight = layout_.Twips(StatusBar1_->height());

    layout_.Set(panels_[0], QRect(0, 0, Abs(W / 2), statusHeight));
    int panel4Left = layout_.Geometry(panels_[0]).width();
    for (std::size_t i = 1; i < panels_.size(); ++i) {
        layout_.Set(panels_[i], QRect(panel4Left, 0, Abs(W / 6), statusHeight));
        if (i < panels_.size() - 1) {
            panel4Left += Abs(W / 6);
        }
    }
    const int panel4Width = layout_.Geometry(panels_[3]).width();
    // The Top rule assumes the original platform's title and menu bar heights; window chrome differs
    // between desktops, so the bar is then kept inside the status bar, where the rule meant it.
    const int barHeight = std::max(0, statusHeight - layout_.Twips(4));
    const int statusTop = std::max(0, layout_.Twips(client_->height()) - statusHeight);
    const int barTop =
        std::clamp(Abs(H - statusHeight - 450), statusTop + layout_.Twips(2),
                   statusTop + std::max(layout_.Twips(2), statusHeight - barHeight - layout_.Twips(2)));
    layout_.Place(pb1_, panel4Left + 25, barTop, Abs(panel4Width - 50), barHeight);

    QRect frame1 = layout_.Geometry(Frame1_);
    QRect frame2 = layout_.Geometry(Frame2_);
    QRect frame3 = layout_.Geometry(Frame3_);
    QRect frame4 = layout_.Geometry(Frame4_);
    // H is the outer height, so on this platform the rule alone runs the frames under the status
    // bar; they are kept above it whatever the window chrome.
    const int statusTopPx = client_->height() - StatusBar1_->height();
    const int roomAbove = layout_.Twips(std::max(0, statusTopPx - layout_.Px(frame3.top()) - 1));
    frame3.setHeight(std::min(Abs(H - statusHeight - frame3.top()), roomAbove));
    frame2.setHeight(frame4.height() + frame3.height());
    frame1.setHeight(frame2.height());
    frame3.moveLeft(Abs(W - frame3.width() - 175));
    frame4.moveLeft(frame3.left());
    frame2.setWidth(Abs(frame3.left() / 2 - 80));
    frame1.setWidth(frame2.width());
    frame2.moveLeft(Abs(frame3.left() - frame2.width() - 50));
    layout_.Place(Frame1_, frame1);
    layout_.Place(Frame2_, frame2);
    layout_.Place(Frame3_, frame3);
    layout_.Place(Frame4_, frame4);

    const int listWidth = Abs(frame1.width() - 2 * layout_.Geometry(List1_).left());
    for (QWidget* control : {static_cast<QWidget*>(List1_), static_cast<QWidget*>(List2_),
                             static_cast<QWidget*>(List3_), static_cast<QWidget*>(cmdViewDatabase_),
                             static_cast<QWidget*>(Command2_), static_cast<QWidget*>(Command3_)}) {
        QRect rect = layout_.Geometry(control);
        rect.setWidth(listWidth);
        layout_.Place(control, rect);
    }
    QRect website = layout_.Geometry(cmdWebsite_);
    website.setWidth(Abs(W - website.left() - 200));
    layout_.Place(cmdWebsite_, website);
    QRect list2 = layout_.Geometry(List2_);
    list2.setHeight(Abs(frame1.height() - list2.top() - 100));
    layout_.Place(List2_, list2);
    QRect list3 = layout_.Geometry(List3_);
    list3.setHeight(Abs(frame1.height() - list3.top() - 100));
    layout_.Place(List3_, list3);

    PlaceStatusBar();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutMainWindow();
}

} // namespace tarnwick
