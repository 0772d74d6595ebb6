// The application folder: the program's own folder when it runs from a build or a copied
// folder, a per-user data folder when it runs installed, since installed folders are not the
// user's to write.
#pragma once

#include <string>

namespace tarnwick {

struct AppFolderPlaces {
    std::string programFolder;      // the executable's folder
    std::string installedBinFolder; // where an install puts the executable
    std::string sharedDataFolder;   // the installed sounds and help file
    std::string userDataFolder;     // the per-user folder an installed program keeps its data in
};

struct AppFolder {
    std::string path;    // ends without a separator
    std::string problem; // a status text when the folder could not be made; empty when it is usable
};

// An installed program creates the per-user folder on first use and, while it holds no database
// yet, copies in the shared files it lacks; files already there are never overwritten.
AppFolder ChooseAppFolder(const AppFolderPlaces& places);

// The places of the running program, the install locations the build recorded and
// "$XDG_DATA_HOME/Tarnwick".
AppFolderPlaces CurrentAppFolderPlaces();

} // namespace tarnwick
