// The application-folder lock: one holder at a time, free again when the holder ends, however.
#include "store/FolderLock.h"

#include "StoreTestSupport.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick {
namespace {

using test::TempFolder;

TEST(FolderLock, OneHolderAtATimeAndFreeOnceItLetsGo) {
    TempFolder folder;
    const std::string path = folder.File("");
    {
        FolderLock first(path);
        EXPECT_TRUE(first.Held());
        FolderLock second(path);
        EXPECT_FALSE(second.Held());
        TempFolder other;
        EXPECT_TRUE(FolderLock(other.File("")).Held());
    }
    EXPECT_TRUE(FolderLock(path).Held());
}

TEST(FolderLock, ALockLeftByACrashedProgramIsTakenOver) {
    TempFolder folder;
    const std::string path = folder.File("");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        FolderLock held(path);
        const char signal = held.Held() ? 'y' : 'n';
        (void)!::write(ready[1], &signal, 1);
        ::pause();
        _exit(0);
    }
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    ASSERT_EQ(signal, 'y');
    EXPECT_FALSE(FolderLock(path).Held());
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(std::filesystem::exists(folder.File("tarnwick.lock")));
    EXPECT_TRUE(FolderLock(path).Held());
}

TEST(FolderLock, AFolderThatCannotHoldTheLockFileIsNotHeld) {
    TempFolder folder;
    EXPECT_FALSE(FolderLock(folder.File("missing")).Held());
}

} // namespace
} // namespace tarnwick
