// The design geometry of a window's controls in twips (1/1440 inch), kept beside their pixel
// geometry: controls are placed from it, and a resize rule reads and changes it.
#pragma once

#include <QHash>
#include <QRect>

class QWidget;

namespace tarnwick {

class TwipLayout {
public:
    // Pixels are those of window's screen.
    explicit TwipLayout(const QWidget& window)
        : window_(window) {}

    void Place(QWidget* control, QRect twips);
    void Place(QWidget* control, int left, int top, int width, int height);
    // At the control's own preferred size.
    void PlaceAutoSized(QWidget* control, int left, int top);
    // Records a design geometry without moving the control (its owner places it).
    void Set(const QWidget* control, QRect twips) { twips_.insert(control, twips); }
    QRect Geometry(const QWidget* control) const { return twips_.value(control); }

    int Px(int twips) const;
    int Twips(int pixels) const;

private:
    const QWidget& window_;
    QHash<const QWidget*, QRect> twips_;
};

} // namespace tarnwick
