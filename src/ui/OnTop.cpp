// Changing a window flag re-creates the native window and hides it, so geometry and visibility
// are put back afterwards.
#include "ui/OnTop.h"

#include <QWidget>

namespace tarnwick {

void SetTopmost(QWidget& window, bool onTop) {
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) {
        return;
    }
    const QRect geometry = window.geometry();
    const bool visible = window.isVisible();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    window.setGeometry(geometry);
    if (visible) {
        window.show();
    }
}

void ShowInFront(QWidget& window) {
    if (window.isMinimized()) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    }
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace tarnwick
