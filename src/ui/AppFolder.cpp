// Chooses and prepares the folder that holds the database, the page files, the sounds and the help.
#include "ui/AppFolder.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

bool SameFolder(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    std::error_code error;
    const fs::path first = fs::weakly_canonical(a, error);
    if (error) {
        return false;
    }
    const fs::path second = fs::weakly_canonical(b, error);
    return !error && first == second;
}

// Only what is missing is copied, so a user's own sounds or help survive.
void FillFromSharedData(const fs::path& shared, const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(shared, error)) {
        return;
    }
    fs::copy(shared, folder, fs::copy_options::recursive | fs::copy_options::skip_existing, error);
}

} // namespace

AppFolder ChooseAppFolder(const AppFolderPlaces& places) {
    if (!SameFolder(places.programFolder, places.installedBinFolder)) {
        return {places.programFolder, {}};
    }

    const fs::path folder = places.userDataFolder;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        return {places.userDataFolder, "Cannot create the data folder " + places.userDataFolder + ": " +
                                           (error ? error.message() : std::string("not a folder"))};
    }
    if (!fs::exists(folder / "spider.mdb", error)) {
        FillFromSharedData(places.sharedDataFolder, folder);
    }
    return {places.userDataFolder, {}};
}

AppFolderPlaces CurrentAppFolderPlaces() {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return {QCoreApplication::applicationDirPath().toStdString(), TARNWICK_INSTALL_BINDIR,
            TARNWICK_INSTALL_SHARED_DATA, (dataHome + QStringLiteral("/Tarnwick")).toStdString()};
}

} // namespace tarnwick
