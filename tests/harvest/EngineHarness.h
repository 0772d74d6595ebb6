// The engine wired to a temporary application folder, a fresh database, the fixture web on
// loopback and recording fakes for the List builder, sounds, message boxes and settings.
#pragma once

#include "FixtureWeb.h"
#include "harvest/HarvestEngine.h"
#include "store/Database.h"

#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::test {

// Records every sound; fails the test when a sound is asked for while another is being started,
// which only an engine step that runs pending events inside the call could do.
class RecordingSounds final : public SoundPlayer {
public:
    void PlaySoundFile(const std::string& path) override;
    int Count(const std::string& fileName) const;
    std::vector<std::string> played;

private:
    bool playing_ = false;
};

class RecordingPrompts final : public UserPrompts {
public:
    void ShowMessage(const std::string& text, FocusTarget focus) override {
        messages.emplace_back(text, focus);
    }
    bool ConfirmOkCancel(const std::string& text, const std::string& title) override {
        confirmations.emplace_back(text, title);
        return answerOk;
    }
    std::vector<std::pair<std::string, FocusTarget>> messages;
    std::vector<std::pair<std::string, std::string>> confirmations;
    bool answerOk = true;
};

class MapSettings final : public SettingsStore {
public:
    std::string Read(const std::string& key, const std::string& fallback) override {
        const auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    void Write(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

class CountingLauncher final : public ListBuilderLauncher {
public:
    void LoadListBuilder() override { ++loads; }
    void UnloadListBuilder() override { ++unloads; }
    int loads = 0;
    int unloads = 0;
};

struct FaxRow {
    std::string fax;
    std::string date;
    std::string website;
    std::string search;
    std::string location;
};

class EngineHarness {
public:
    // Ticks of 10 ms; a download is idle after 50 ticks and overdue after 200.
    EngineHarness();
    // With `secureWeb`, the fixture also speaks TLS, the engine trusts only the test authority
    // (unless `trustTestAuthority` is false) and the secure-web option is on.
    explicit EngineHarness(bool secureWeb, bool trustTestAuthority = true);
    ~EngineHarness();

    HarvestEngine& engine() { return *engine_; }
    Database& db() { return db_; }
    const std::string& appFolder() const { return appFolder_; }

    void Queue(const std::vector<std::string>& websites);
    void Phrases(const std::vector<std::string>& phrases); // through the add button
    std::vector<FaxRow> StoredFaxes() const;
    std::vector<std::string> StoredSearches() const;

    // Runs the event loop until `done` holds or `milliseconds` pass.
    static bool WaitFor(const std::function<bool()>& done, int milliseconds = 10000);
    static void Pump(int milliseconds); // runs the event loop for a while

    // The engine's clock in milliseconds; empty: the system clock.
    std::function<std::int64_t()> clock;

    // Hosts whose port 443 or port 80 refuses connections.
    std::set<std::string> refuseSecure;
    std::set<std::string> refusePlain;

    FixtureWeb web;
    RecordingSounds sounds;
    RecordingPrompts prompts;
    MapSettings settings;
    CountingLauncher launcher;

private:
    QTemporaryDir dir_;
    std::string appFolder_;
    std::string dbPath_;
    Database db_;
    std::unique_ptr<HarvestEngine> engine_;
};

// A loopback port nothing listens on.
quint16 ClosedPort();

bool FileExists(const std::string& path);
std::string FileText(const std::string& path);

} // namespace tarnwick::test
