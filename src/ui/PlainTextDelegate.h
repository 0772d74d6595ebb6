// Draws the one-line entries of the main window's lists. The lists shift by an entry on nearly
// every change of a harvest, so each entry is drawn at many places in turn: its text is elided,
// shaped and rasterised once into a pixmap, and every later frame only copies that pixmap.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace tarnwick {

class PlainTextDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    struct Look {
        QFont font;
        QSize room;
        qreal pixelRatio = 0;
        bool operator==(const Look&) const = default;
    };
    // The text as it fits in the room, drawn in `color` on a transparent ground.
    const QPixmap& Rendered(const QString& text, const QColor& color, const Look& look) const;

    mutable QHash<QString, QPixmap> rendered_; // keyed on the colour and the text
    mutable Look look_;
};

} // namespace tarnwick
