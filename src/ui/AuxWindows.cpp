// Closing one of these windows unloads it; the next request creates and loads it afresh.
#include "ui/AuxWindows.h"

#include "ui/OnTop.h"
#include "ui/Shutdown.h"

#include <utility>

namespace tarnwick {

namespace {

// The splash window fills the branding at its load; windows opened before that read it directly.
Branding CurrentBranding(const frmSplash* splash) {
    if (splash != nullptr && !splash->branding().programName.isEmpty()) {
        return splash->branding();
    }
    return LoadBranding();
}

} // namespace

AuxWindows::AuxWindows(SettingsStore& settings, std::string appFolder, QObject* parent)
    : QObject(parent)
    , settings_(settings)
    , appFolder_(std::move(appFolder))
    , splash_(new frmSplash) {
    splash_->setAttribute(Qt::WA_DeleteOnClose);
}

AuxWindows::~AuxWindows() {
    delete website_;
    delete about_;
    delete help_;
    delete splash_;
}

void AuxWindows::Start(std::function<void()> showMainWindow) {
    splash_->showMainWindow = std::move(showMainWindow);
    splash_->Load();
    splash_->show();
}

void AuxWindows::ShowHelp() {
    if (!help_) {
        help_ = new Form8(settings_, appFolder_);
        help_->setAttribute(Qt::WA_DeleteOnClose);
        help_->Load();
    }
    ShowInFront(*help_);
}

void AuxWindows::ShowAbout() {
    if (!about_) {
        about_ = new frmAbout(CurrentBranding(splash_));
        about_->setAttribute(Qt::WA_DeleteOnClose);
        about_->Load();
    }
    ShowInFront(*about_);
}

void AuxWindows::ShowWebsite() {
    if (!website_) {
        website_ = new frmWebsite(CurrentBranding(splash_));
        website_->setAttribute(Qt::WA_DeleteOnClose);
        if (!websiteHome.isEmpty()) {
            website_->homeAddress = websiteHome;
        }
        website_->Load();
    }
    ShowInFront(*website_);
}

void AuxWindows::MainWindowUnloading() {
    if (help_) {
        help_->close();
    }
    if (splash_) {
        splash_->close();
    }
    if (website_ && website_->isVisible()) {
        exitWhenBrowserCloses = true;
        return;
    }
    EndProgram();
}

} // namespace tarnwick
