// Drawing a list entry as the style draws a plain text item: the selection band, then the text
// elided to the row, left and vertically centred, with the style's text margin.
#include "ui/PlainTextDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <utility>

namespace tarnwick {
namespace {

// Enough for the shown entries of a list and those that just left it.
constexpr int kMaxKept = 256;

QPixmap Draw(const QString& text, const QColor& color, const PlainTextDelegate::Look& look) {
    QPixmap pixmap(look.room * look.pixelRatio);
    pixmap.setDevicePixelRatio(look.pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setFont(look.font);
    painter.setPen(color);
    const QString shown = QFontMetrics(look.font).elidedText(text, Qt::ElideRight, look.room.width());
    painter.drawText(QRect(QPoint(0, 0), look.room), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     shown);
    return pixmap;
}

} // namespace

const QPixmap& PlainTextDelegate::Rendered(const QString& text, const QColor& color, const Look& look) const {
    if (!(look == look_)) {
        recent_.clear();
        older_.clear();
        look_ = look;
    }
    const QString key = QString::number(color.rgba(), 16) + QLatin1Char(' ') + text;
    if (const auto found = recent_.constFind(key); found != recent_.cend()) {
        return *found;
    }
    if (recent_.size() >= kMaxKept) {
        older_ = std::exchange(recent_, {});
    }
    if (const auto found = older_.constFind(key); found != older_.cend()) {
        return *recent_.insert(key, *found);
    }
    return *recent_.insert(key, Draw(text, color, look));
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
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect room = item.rect.adjusted(margin, 0, -margin, 0);
    const QColor color = item.palette.color(
        group, (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text);
    const qreal pixelRatio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    painter->drawPixmap(room.topLeft(), Rendered(item.text, color, {item.font, room.size(), pixelRatio}));
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
