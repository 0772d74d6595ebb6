// The help window: shows the user guide "Help.rtf" from the application folder, stays above the
// other windows, and remembers whether it opens at start-up.
#pragma once

#include "harvest/HarvestEngine.h"

#include <QWidget>
#include <string>

class QCheckBox;
class QTextEdit;

namespace tarnwick {

class Form8 final : public QWidget {
    Q_OBJECT
public:
    Form8(SettingsStore& settings, std::string appFolder, QWidget* parent = nullptr);

    void Load();

    [[nodiscard]] QTextEdit& rtf1() const { return *rtf1_; }
    [[nodiscard]] QCheckBox& Check1() const { return *Check1_; }

private:
    void Check1_Click();

    SettingsStore& settings_;
    std::string appFolder_;
    QTextEdit* rtf1_ = nullptr;
    QCheckBox* Check1_ = nullptr;
};

} // namespace tarnwick
