// Window geometry is designed in twips (1/1440 inch); these turn it into pixels of a widget's screen.
#pragma once

#include <QWidget>
#include <cmath>

namespace tarnwick {

inline int TwipsToPx(const QWidget& widget, int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * widget.logicalDpiX() / 1440.0));
}

inline int PxToTwips(const QWidget& widget, int pixels) {
    return static_cast<int>(std::lround(static_cast<double>(pixels) * 1440.0 / widget.logicalDpiX()));
}

inline QRect TwipsRect(const QWidget& widget, int left, int top, int width, int height) {
    return {TwipsToPx(widget, left), TwipsToPx(widget, top), TwipsToPx(widget, width),
            TwipsToPx(widget, height)};
}

} // namespace tarnwick
