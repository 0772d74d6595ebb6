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
    // What an entry's drawing depends on besides its text and colour.
    struct Look {
        QFont font;
        QSize room;
        qreal pixelRatio = 0;
        bool operator==(const Look&) const = default;
    };

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    // The text as it fits in the room, drawn in `color` on a transparent ground.
    const QPixmap& Rendered(const QString& text, const QColor& color, const Look& look) const;

    // Keyed on the colour and the text. When the recent ones fill up they become the older ones,
    // so entries still on show are found there instead of being drawn again.
    mutable QHash<QString, QPixmap> recent_;
    mutable QHash<QString, QPixmap> older_;
    mutable Look look_;
};

} // namespace tarnwick
