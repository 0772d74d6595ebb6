// The export window: writes every stored fax number to a text file with the chosen separator,
// then optionally empties the fax table.
#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tarnwick {

class HarvestEngine;

class frmExport final : public QWidget {
    Q_OBJECT
public:
    explicit frmExport(HarvestEngine& engine, QWidget* parent = nullptr);

    // The save dialog, given the starting path; an empty answer means cancelled.
    std::function<QString(const QString& startPath)> chooseFile;
    // The Yes/No question before the fax table is emptied; true on Yes.
    std::function<bool(const QString& question)> confirmYesNo;
    // Tells the user that the file could not be written.
    std::function<void(const QString& message)> showWarning;

    void Command1_Click();

private:
    HarvestEngine& engine_;
    QLabel* Label1_ = nullptr;
    QComboBox* Combo1_ = nullptr;
    QCheckBox* Check2_ = nullptr;
    QCheckBox* Check1_ = nullptr;
    QPushButton* Command1_ = nullptr;
};

} // namespace tarnwick
