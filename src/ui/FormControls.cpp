// Making the main window's controls: each named as the window's code and tests address it.
#include "ui/FormControls.h"

#include "ui/PlainTextDelegate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace tarnwick {

QLabel* AddLabel(QWidget* parent, const QString& caption, bool bold) {
    auto* label = new QLabel(caption, parent);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QCheckBox* AddCheck(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(tip);
    return box;
}

QComboBox* AddCombo(QWidget* parent, const char* name, const QString& designText, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setPlaceholderText(designText);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return combo;
}

QToolButton* AddPictureButton(QWidget* parent, const char* name, const QString& caption, const QString& icon,
                              const QString& tip, bool compact) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolTip(tip);
    button->setIcon(QIcon(QStringLiteral(":/icons/") + icon));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(compact ? QSize(10, 10) : QSize(24, 24));
    if (compact) {
        // The small buttons carry their caption too, in a smaller type so both fit.
        QFont font = button->font();
        font.setPointSize(7);
        button->setFont(font);
    }
    return button;
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    return button;
}

QListWidget* AddList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    // One line per entry: the lists change on every take, and measuring each entry is costly.
    list->setUniformItemSizes(true);
    list->setItemDelegate(new PlainTextDelegate(list));
    return list;
}

} // namespace tarnwick
