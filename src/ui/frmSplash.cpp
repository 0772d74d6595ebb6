// The splash window: borderless, centred, one picture filling it.
#include "ui/frmSplash.h"

#include "ui/Artwork.h"
#include "ui/Shutdown.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace tarnwick {

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    picture_ = new PictureBox(
        [this](QPainter& painter, const QRect& area) { PaintSplashArtwork(painter, area, branding_); }, this);
    picture_->setObjectName(QStringLiteral("Picture1"));
    picture_->setGeometry(TwipsRect(*this, 0, 0, 7170, 4770));
    setFixedSize(picture_->size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    Timer2_.setInterval(kTimerIntervalMs);
    Timer2_.setTimerType(Qt::CoarseTimer);
    connect(&Timer2_, &QTimer::timeout, this, &frmSplash::Timer2_Timer);
}

void frmSplash::Load() {
    exitWhenBrowserCloses = false;
    branding_ = LoadBranding();
    SetGlobalSkin(skn_);
    ApplyColours(*this);
    // The skin only changes the look: if the engine refuses it, start-up goes on unskinned.
    if (skinEngine().Attach(skn_)) {
        skinEngine().Apply();
    }
    ticks_ = 0;
    Timer2_.start();
}

void frmSplash::Timer2_Timer() {
    ticks_ = static_cast<std::int16_t>(ticks_ + 2);
    if (ticks_ != kTicksToMainWindow) {
        return;
    }
    Timer2_.stop();
    if (showMainWindow) {
        showMainWindow();
    }
    hide();
}

} // namespace tarnwick
