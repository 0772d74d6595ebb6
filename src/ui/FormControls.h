// Controls of the main window, made with their object names, captions and tool tips.
#pragma once

#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;
class QWidget;

namespace tarnwick {

QLabel* AddLabel(QWidget* parent, const QString& caption, bool bold);
QCheckBox* AddCheck(QWidget* parent, const char* name, const QString& caption, const QString& tip = {});
// Nothing chosen at first: the design text shows until a choice is made.
QComboBox* AddCombo(QWidget* parent, const char* name, const QString& designText, const QStringList& items);
// A picture button with its caption under the icon; compact ones are the small list buttons.
QToolButton* AddPictureButton(QWidget* parent, const char* name, const QString& caption, const QString& icon,
                              const QString& tip, bool compact);
QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, const QString& tip);
QListWidget* AddList(QWidget* parent, const char* name);

} // namespace tarnwick
