// Draws the one-line entries of the main window's lists. The lists shift by an entry on nearly
// every change of a harvest, so each entry is drawn at many places in turn: its laid-out text is
// kept and reused instead of being shaped again for every frame.
#pragma once

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace tarnwick {

class PlainTextDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    // The text as it fits in width, laid out once.
    const QStaticText& Laid(const QString& text, const QFont& font, int width) const;

    mutable QHash<QString, QStaticText> laid_;
    mutable QFont font_;
    mutable int width_ = -1;
};

} // namespace tarnwick
