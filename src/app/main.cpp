// The program: builds the store, the services and the engine, wires the windows and starts
// from the splash window, which loads and shows the main window.
#include "harvest/HarvestEngine.h"
#include "store/Database.h"
#include "store/FolderLock.h"
#include "ui/AppFolder.h"
#include "ui/AuxWindows.h"
#include "ui/Branding.h"
#include "ui/Form1.h"
#include "ui/ListBuilderWindow.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/QtSettingsStore.h"
#include "ui/SoundFilePlayer.h"
#include "ui/WebEngineSetup.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

int main(int argc, char** argv) {
    using namespace tarnwick;
    PrepareWebEngine();
    QApplication app(argc, argv);
    const Branding branding = LoadBranding();
    QApplication::setApplicationName(branding.programName);
    // The program ends through the main window's unload, not when its last window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    const AppFolder chosen = ChooseAppFolder(CurrentAppFolderPlaces());
    const std::string& appFolder = chosen.path;
    // A second program on the same folder would share its page files and its queue. A folder
    // that could not be made is reported in the status bar instead.
    const FolderLock folderLock(appFolder);
    if (chosen.problem.empty() && !folderLock.Held()) {
        std::fputs("Tarnwick is already running from this folder.\n", stderr);
        // On top: the running program's help window may be kept above everything else.
        QMessageBox box(QMessageBox::Information, branding.programName,
                        QStringLiteral("Tarnwick is already running from this folder."));
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
        return 1;
    }
    Database database(appFolder + "/spider.mdb");
    database.EnsureExists();
    QtSettingsStore settings;
    SoundFilePlayer sounds;
    MessageBoxPrompts prompts(branding.programName);
    HarvestEngine engine({database, appFolder, sounds, prompts, settings, {}});
    ListBuilderWindowLauncher listBuilder(engine);
    engine.SetListBuilder(&listBuilder);

    Form1 form(engine, settings, branding);
    prompts.SetOwner(&form, [&form](FocusTarget target) { form.FocusControl(target); });
    AuxWindows windows(settings, appFolder);
    QObject::connect(&form, &Form1::helpRequested, &windows, &AuxWindows::ShowHelp);
    QObject::connect(&form, &Form1::aboutRequested, &windows, &AuxWindows::ShowAbout);
    QObject::connect(&form, &Form1::websiteRequested, &windows, &AuxWindows::ShowWebsite);
    QObject::connect(&form, &Form1::unloading, &windows, [&listBuilder, &windows, &settings] {
        // The engine has saved its counters by now; they reach the file before anything else ends.
        settings.Sync();
        listBuilder.UnloadListBuilder();
        windows.MainWindowUnloading();
    });
    windows.Start([&form, &engine, &chosen] {
        form.Load();
        form.show();
        if (!chosen.problem.empty()) {
            engine.SetStatusText(StatusPanel::Download, chosen.problem);
        }
    });
    return QApplication::exec();
}
