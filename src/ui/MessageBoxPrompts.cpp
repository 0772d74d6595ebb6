// Untitled boxes carry the program name, as the message boxes of the original program did.
#include "ui/MessageBoxPrompts.h"

#include "ui/AnsiText.h"

#include <QMessageBox>
#include <utility>

namespace tarnwick {

MessageBoxPrompts::MessageBoxPrompts(QString programName)
    : programName_(std::move(programName)) {}

void MessageBoxPrompts::SetOwner(QWidget* owner, std::function<void(FocusTarget)> focus) {
    owner_ = owner;
    focus_ = std::move(focus);
}

void MessageBoxPrompts::ShowMessage(const std::string& text, FocusTarget focus) {
    QMessageBox box(QMessageBox::NoIcon, programName_, FromAnsi(text), QMessageBox::Ok, owner_);
    box.exec();
    if (focus_ && focus != FocusTarget::None) {
        focus_(focus);
    }
}

bool MessageBoxPrompts::ConfirmOkCancel(const std::string& text, const std::string& title) {
    const QString caption = title.empty() ? programName_ : FromAnsi(title);
    QMessageBox box(QMessageBox::NoIcon, caption, FromAnsi(text), QMessageBox::Ok | QMessageBox::Cancel,
                    owner_);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

} // namespace tarnwick
