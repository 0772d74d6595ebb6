// Placing controls from their twip geometry.
#include "ui/TwipLayout.h"

#include "ui/Twips.h"

#include <QWidget>

namespace tarnwick {

int TwipLayout::Px(int twips) const {
    return TwipsToPx(window_, twips);
}

int TwipLayout::Twips(int pixels) const {
    return PxToTwips(window_, pixels);
}

void TwipLayout::Place(QWidget* control, QRect twips) {
    twips_.insert(control, twips);
    control->setGeometry(Px(twips.left()), Px(twips.top()), Px(twips.width()), Px(twips.height()));
}

void TwipLayout::Place(QWidget* control, int left, int top, int width, int height) {
    Place(control, QRect(left, top, width, height));
}

void TwipLayout::PlaceAutoSized(QWidget* control, int left, int top) {
    const QSize hint = control->sizeHint();
    Place(control, left, top, Twips(hint.width()), Twips(hint.height()));
}

} // namespace tarnwick
