// The windows around the main window: starts the program from the splash window, opens the
// help, about and browser windows on request and carries out the main window's unload.
#pragma once

#include "harvest/HarvestEngine.h"
#include "ui/Form8.h"
#include "ui/frmAbout.h"
#include "ui/frmSplash.h"
#include "ui/frmWebsite.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

namespace tarnwick {

class AuxWindows final : public QObject {
    Q_OBJECT
public:
    AuxWindows(SettingsStore& settings, std::string appFolder, QObject* parent = nullptr);
    ~AuxWindows() override;

    // Loads and shows the splash window; after its timer, showMainWindow loads and shows the
    // main window and the splash hides.
    void Start(std::function<void()> showMainWindow);

    // Each window is created and loaded on first use, shown modeless and reused while open.
    void ShowHelp();
    void ShowAbout();
    void ShowWebsite();

    // The main window's unload: the help and splash windows go; the program ends now, or when
    // the browser window closes if it is still visible.
    void MainWindowUnloading();

    // Where a new browser window navigates at load; empty means the program's website.
    QString websiteHome;

    [[nodiscard]] frmSplash* splash() const { return splash_; }
    [[nodiscard]] Form8* help() const { return help_; }
    [[nodiscard]] frmAbout* about() const { return about_; }
    [[nodiscard]] frmWebsite* website() const { return website_; }

private:
    SettingsStore& settings_;
    std::string appFolder_;
    QPointer<frmSplash> splash_;
    QPointer<Form8> help_;
    QPointer<frmAbout> about_;
    QPointer<frmWebsite> website_;
};

} // namespace tarnwick
