// Shared pieces of the window tests: a private application folder and settings file per test,
// recording stand-ins for the engine's services, and a driver for modal message boxes.
#pragma once

#include "harvest/HarvestEngine.h"
#include "store/Database.h"
#include "ui/Branding.h"
#include "ui/Form1.h"
#include "ui/QtSettingsStore.h"

#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::test {

struct RecordingPrompts final : UserPrompts {
    std::vector<std::pair<std::string, FocusTarget>> messages;
    std::vector<std::pair<std::string, std::string>> questions; // text, title
    std::deque<bool> answers;                                   // next answers; OK when empty

    void ShowMessage(const std::string& text, FocusTarget focus) override {
        messages.emplace_back(text, focus);
    }
    bool ConfirmOkCancel(const std::string& text, const std::string& title) override {
        questions.emplace_back(text, title);
        if (answers.empty()) {
            return true;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

struct RecordingSounds final : SoundPlayer {
    std::vector<std::string> played;
    void PlaySoundFile(const std::string& path) override { played.push_back(path); }
};

struct CountingLauncher final : ListBuilderLauncher {
    int loads = 0;
    int unloads = 0;
    void LoadListBuilder() override { ++loads; }
    void UnloadListBuilder() override { ++unloads; }
};

// A temporary application folder with an empty spider.mdb, and a settings file inside it.
class UiEnvironment {
public:
    UiEnvironment();

    std::string appFolder() const { return dir_.path().toStdString(); }
    QString settingsFile() const;
    // The raw stored text of a key, as another program reading the settings file would see it.
    QString Stored(const QString& key) const;
    void Store(const QString& key, const QString& value) const;

    Database& database() { return database_; }

private:
    QTemporaryDir dir_;
    Database database_;
};

// The main window bound to a real engine over the environment's folder and settings.
class WindowUnderTest {
public:
    explicit WindowUnderTest(UiEnvironment& env);
    ~WindowUnderTest();

    template <typename T> T* Find(const char* name) const { return form->findChild<T*>(QLatin1String(name)); }

    RecordingPrompts prompts;
    RecordingSounds sounds;
    CountingLauncher launcher;
    QtSettingsStore settings;
    std::unique_ptr<HarvestEngine> engine;
    std::unique_ptr<Form1> form;
    int helpRequests = 0;
};

Branding TestBranding();

// The given UTF-8 texts as a list, to compare with what a window shows.
QStringList Texts(const std::vector<const char*>& texts);

// Answers the next message box that opens with the given button, and records what it showed.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};
void AnswerNextMessageBox(QMessageBox::StandardButton button, SeenBox& seen);

} // namespace tarnwick::test
