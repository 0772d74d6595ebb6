// Drawing a list entry as the style draws a plain text item: the selection band, then the text
// elided to the row, left and vertically centred, with the style's text margin.
#include "ui/PlainTextDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace tarnwick {
namespace {

// Enough for the shown entries of a list and those that just left it.
constexpr int kMaxKept = 256;

} // namespace

const QStaticText& PlainTextDelegate::Laid(const QString& text, const QFont& font, int width) const {
    if (width != width_ || font != font_ || laid_.size() > kMaxKept) {
        laid_.clear();
        width_ = width;
        font_ = font;
    }
    auto found = laid_.find(text);
    if (found == laid_.end()) {
        QStaticText laidOut(QFontMetrics(font).elidedText(text, Qt::ElideRight, width));
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
        laidOut.prepare(QTransform(), font);
        found = laid_.insert(text, laidOut);
    }
    return *found;
}

void PlainTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* const widget = item.widget;
    QStyle* const style = widget ? widget->style() : QApplication::style();

    painter->save();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);
    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (item.state & QStyle::State_Active) ? QPalette::Normal
                                                                             : QPalette::Inactive;
    painter->setPen(item.palette.color(
        group, (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect room = item.rect.adjusted(margin, 0, -margin, 0);
    const QStaticText& text = Laid(item.text, item.font, room.width());
    painter->setFont(item.font);
    const int top = room.top() + (room.height() - int(text.size().height())) / 2;
    painter->drawStaticText(room.left(), top, text);
    if (item.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(item);
        focus.backgroundColor = item.palette.color(
            group, (item.state & QStyle::State_Selected) ? QPalette::Highlight : QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

} // namespace tarnwick
