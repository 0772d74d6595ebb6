// The application folder: the program's own folder unless it runs from the install location,
// then the per-user folder, made and filled once and never overwritten.
#include "ui/AppFolder.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.insert(fs::relative(entry.path(), folder).string());
    }
    return names;
}

// A fake install: prefix/bin with the program, prefix/share/tarnwick with the shared data.
class AppFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        root_ = temp_.path().toStdString();
        WriteFile(Bin() / "tarnwick", "program");
        WriteFile(Shared() / "Help.rtf", "{\\rtf1 help}");
        WriteFile(Shared() / "sounds" / "foundfax.wav", "found");
        WriteFile(Shared() / "sounds" / "nextsearch.wav", "next");
        WriteFile(Shared() / "sounds" / "finished.wav", "finished");
    }

    fs::path Bin() const { return root_ / "usr" / "bin"; }
    fs::path Shared() const { return root_ / "usr" / "share" / "tarnwick"; }
    fs::path User() const { return root_ / "home" / ".local" / "share" / "Tarnwick"; }

    AppFolderPlaces Places(const fs::path& programFolder) const {
        return {programFolder.string(), Bin().string(), Shared().string(), User().string()};
    }

    QTemporaryDir temp_;
    fs::path root_;
};

struct FolderCase {
    const char* name;
    const char* programFolder; // below the temporary root
    bool installed;
};

class AppFolderChoice : public AppFolderTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(AppFolderChoice, InstalledProgramUsesThePerUserFolderAnyOtherItsOwn) {
    const FolderCase& c = GetParam();
    fs::create_directory_symlink(Bin(), root_ / "linked-bin");
    const fs::path programFolder = root_ / c.programFolder;
    fs::create_directories(programFolder);

    const AppFolder chosen = ChooseAppFolder(Places(programFolder));

    EXPECT_TRUE(chosen.problem.empty()) << chosen.problem;
    if (c.installed) {
        EXPECT_EQ(chosen.path, User().string());
        EXPECT_TRUE(fs::is_directory(User()));
    } else {
        EXPECT_EQ(chosen.path, programFolder.string());
        EXPECT_FALSE(fs::exists(User())) << "a portable program must not touch the per-user folder";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, AppFolderChoice,
    ::testing::Values(FolderCase{"BuildFolder", "build/app", false},
                      FolderCase{"CopiedPortableFolder", "usb/Tarnwick", false},
                      FolderCase{"FolderBesideTheInstalledOne", "usr/bin2", false},
                      FolderCase{"FolderBelowTheInstalledOne", "usr/bin/tools", false},
                      FolderCase{"InstalledFolder", "usr/bin", true},
                      FolderCase{"InstalledFolderWithDotDot", "usr/share/../bin", true},
                      FolderCase{"InstalledFolderWithTrailingSeparator", "usr/bin/", true},
                      FolderCase{"InstalledFolderThroughALink", "linked-bin", true}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.name); });

TEST_F(AppFolderTest, FirstUseCopiesTheSharedSoundsAndHelp) {
    const AppFolder chosen = ChooseAppFolder(Places(Bin()));

    ASSERT_EQ(chosen.path, User().string());
    EXPECT_EQ(ReadFile(User() / "Help.rtf"), "{\\rtf1 help}");
    EXPECT_EQ(ReadFile(User() / "sounds" / "foundfax.wav"), "found");
    EXPECT_EQ(ReadFile(User() / "sounds" / "nextsearch.wav"), "next");
    EXPECT_EQ(ReadFile(User() / "sounds" / "finished.wav"), "finished");
}

TEST_F(AppFolderTest, LaterStartsLeaveTheUsersFilesAlone) {
    ChooseAppFolder(Places(Bin()));
    WriteFile(User() / "spider.mdb", "numbers");
    WriteFile(User() / "Help.rtf", "my own help");
    fs::remove(User() / "sounds" / "finished.wav"); // the user wants silence at the end

    const AppFolder chosen = ChooseAppFolder(Places(Bin()));

    EXPECT_EQ(chosen.path, User().string());
    EXPECT_EQ(ReadFile(User() / "spider.mdb"), "numbers");
    EXPECT_EQ(ReadFile(User() / "Help.rtf"), "my own help");
    EXPECT_FALSE(fs::exists(User() / "sounds" / "finished.wav"));
}

TEST_F(AppFolderTest, ALostDatabaseRefillsOnlyTheMissingFiles) {
    WriteFile(User() / "Help.rtf", "my own help");

    ChooseAppFolder(Places(Bin()));

    EXPECT_EQ(ReadFile(User() / "Help.rtf"), "my own help");
    EXPECT_EQ(ReadFile(User() / "sounds" / "foundfax.wav"), "found");
}

TEST_F(AppFolderTest, AWritableInstallFolderGetsNothingWritten) {
    // Root may write into the install folder; the choice must not depend on it.
    const std::set<std::string> before = Listing(Bin());
    const std::set<std::string> sharedBefore = Listing(Shared());

    const AppFolder chosen = ChooseAppFolder(Places(Bin()));

    EXPECT_EQ(chosen.path, User().string());
    EXPECT_EQ(Listing(Bin()), before);
    EXPECT_EQ(Listing(Shared()), sharedBefore);
}

TEST_F(AppFolderTest, MissingSharedDataStillGivesAUsableFolder) {
    fs::remove_all(Shared());

    const AppFolder chosen = ChooseAppFolder(Places(Bin()));

    EXPECT_TRUE(chosen.problem.empty()) << chosen.problem;
    EXPECT_TRUE(fs::is_directory(User()));
    EXPECT_FALSE(fs::exists(User() / "Help.rtf"));
}

TEST_F(AppFolderTest, AFolderThatCannotBeCreatedIsReported) {
    // A file where a parent folder should be blocks the folder for every user, root included.
    WriteFile(root_ / "home" / ".local", "not a folder");

    const AppFolder chosen = ChooseAppFolder(Places(Bin()));

    EXPECT_EQ(chosen.path, User().string());
    EXPECT_NE(chosen.problem.find("Cannot create the data folder " + User().string()), std::string::npos)
        << chosen.problem;
    EXPECT_EQ(Listing(Bin()), std::set<std::string>{"tarnwick"});
}

TEST_F(AppFolderTest, AFileInPlaceOfTheFolderIsReported) {
    WriteFile(User(), "not a folder");

    const AppFolder chosen = ChooseAppFolder(Places(Bin()));

    EXPECT_NE(chosen.problem.find("Cannot create the data folder"), std::string::npos) << chosen.problem;
}

TEST(CurrentAppFolderPlaces, PerUserFolderFollowsXdgDataHome) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QStandardPaths::setTestModeEnabled(false); // the test main points every location at a test folder

    const AppFolderPlaces places = CurrentAppFolderPlaces();

    QStandardPaths::setTestModeEnabled(true);
    if (saved.isEmpty()) {
        qunsetenv("XDG_DATA_HOME");
    } else {
        qputenv("XDG_DATA_HOME", saved);
    }
    EXPECT_EQ(places.userDataFolder, home.path().toStdString() + "/Tarnwick");
    EXPECT_FALSE(places.installedBinFolder.empty());
    EXPECT_NE(places.sharedDataFolder.find("tarnwick"), std::string::npos);
}

} // namespace
} // namespace tarnwick
