// One program per application folder: two would write the same page files and harvest into one
// queue.
#pragma once

#include <string>

namespace tarnwick {

// Takes the lock file "tarnwick.lock" in the folder for as long as the object lives. The system
// lets go of the lock however the program ends, so a lock left by a crashed program is taken over.
class FolderLock final {
public:
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Held() const { return fd_ >= 0; } // false: another program has the folder
private:
    int fd_ = -1;
};

} // namespace tarnwick
