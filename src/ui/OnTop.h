// The window order: keeping a window above all others, or bringing one to the front.
#pragma once

class QWidget;

namespace tarnwick {

// Keeps a window above all others, or takes it out of that band, without moving or resizing it.
void SetTopmost(QWidget& window, bool onTop);

// Shows the window, restored if it was minimised, in front of the others and active, so a
// window that is already open comes forward when it is asked for again.
void ShowInFront(QWidget& window);

} // namespace tarnwick
