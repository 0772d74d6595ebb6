// Message boxes of the run control and the main window's handlers, as modal QMessageBoxes.
#pragma once

#include "harvest/HarvestEngine.h"

#include <QString>
#include <functional>

class QWidget;

namespace tarnwick {

class MessageBoxPrompts final : public UserPrompts {
public:
    explicit MessageBoxPrompts(QString programName);

    // The window the boxes belong to, and where the focus goes after a validation message.
    void SetOwner(QWidget* owner, std::function<void(FocusTarget)> focus);

    void ShowMessage(const std::string& text, FocusTarget focus) override;
    bool ConfirmOkCancel(const std::string& text, const std::string& title) override;

private:
    QString programName_;
    QWidget* owner_ = nullptr;
    std::function<void(FocusTarget)> focus_;
};

} // namespace tarnwick
