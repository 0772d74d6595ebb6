// Keeps a window above all others, or takes it out of that band, without moving or resizing it.
#pragma once

class QWidget;

namespace tarnwick {

void SetTopmost(QWidget& window, bool onTop);

} // namespace tarnwick
