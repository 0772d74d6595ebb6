// A harvest engine on a scratch database with quiet stand-ins for sounds, prompts and settings,
// and a launcher that opens List builders on fake browsers.
#pragma once

#include "FakeBrowser.h"
#include "harvest/HarvestEngine.h"
#include "listbuilder/ListBuilder.h"
#include "store/Database.h"

#include <QList>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::testing {

class QuietSounds final : public SoundPlayer {
public:
    void PlaySoundFile(const std::string& path) override { played.push_back(path); }
    std::vector<std::string> played;
};

class RecordingPrompts final : public UserPrompts {
public:
    void ShowMessage(const std::string& text, FocusTarget) override { messages.push_back(text); }
    bool ConfirmOkCancel(const std::string&, const std::string&) override { return true; }
    std::vector<std::string> messages;
};

class MemorySettings final : public SettingsStore {
public:
    std::string Read(const std::string& key, const std::string& fallback) override;
    void Write(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

// Opens each List builder on a fresh fake browser serving `pages`; unloads are deferred to the
// event loop, as the window's are.
class FakeLauncher final : public ListBuilderLauncher {
public:
    explicit FakeLauncher(HarvestEngine& engine);
    ~FakeLauncher() override;

    void LoadListBuilder() override;
    void UnloadListBuilder() override;

    // The builder loaded now, or null.
    ListBuilder* Builder() const;
    FakeBrowser* CurrentBrowser() const;

    std::map<std::string, std::string> pages;
    FakeSite site;
    int completesPerPage = 1;
    // Runs on each builder before its load (the secure-web mode's pause, say).
    std::function<void(ListBuilder&)> prepare;

    std::vector<std::string> loadedPhrases; // txtSearch at each load
    std::vector<std::string> navigations;   // of every builder, in order
    int hides = 0;
    int unloadRequests = 0;

private:
    struct Session;
    void Retire(std::unique_ptr<Session> session);

    HarvestEngine& engine_;
    std::unique_ptr<Session> current_;
    QObject context_;
};

// The engine and everything it needs, in a scratch application folder.
class BuilderHarness {
public:
    // `trustedAuthorities` are the TLS trust of the engine's downloads (empty: the system's).
    explicit BuilderHarness(QList<QSslCertificate> trustedAuthorities = {});
    ~BuilderHarness();

    // Adds the phrases, chooses engine and result count, and presses Start.
    void Start(const std::vector<std::string>& phrases, int engineIndex, int resultsIndex);
    // Runs the event loop until done() holds or timeoutMs passes; answers done().
    static bool RunUntil(const std::function<bool()>& done, int timeoutMs = 20000);

    std::vector<std::string> QueuedWebsites(); // the websites table, emptied

    QTemporaryDir folder;
    QuietSounds sounds;
    RecordingPrompts prompts;
    MemorySettings settings;
    std::unique_ptr<Database> database;
    std::unique_ptr<HarvestEngine> engine;
    std::unique_ptr<FakeLauncher> launcher;
    EndpointResolver resolve;
    EndpointResolver resolveSecure;
};

// A result page linking to http://www.<domain>/ for each domain, with the engine's own links
// (cache and related pages) between them as a real result page has.
std::string ResultPage(const std::vector<std::string>& domains);
// n domains "<stem><first>.com" ... "<stem><first + n - 1>.com".
std::vector<std::string> Domains(const std::string& stem, int first, int n);

} // namespace tarnwick::testing
