// The headless harvest engine: run control, the ten download slots, the page chain and
// the main-window state they read and write. Windows bind to its signals; tests drive it directly.
#pragma once

#include "harvest/Endpoint.h"

#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick {

class Database;
struct FaxRecord;

// Opens and closes the List builder window for the phrase in txtSearch.
class ListBuilderLauncher {
public:
    virtual ~ListBuilderLauncher() = default;
    virtual void LoadListBuilder() = 0;   // load and show, modeless
    virtual void UnloadListBuilder() = 0; // unload if loaded; a no-op otherwise
};

// Starts a wave file and returns at once, never running pending events: the engine's steps are
// whole. Asked again while the same sound plays, it starts over; different sounds may overlap.
// A missing file plays nothing.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void PlaySoundFile(const std::string& path) = 0;
};

// The controls a validation message can hand the focus to.
enum class FocusTarget { None, Text1, Combo1, Combo2 };

// Message boxes. Texts are exact; an empty title means the program name.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    virtual void ShowMessage(const std::string& text, FocusTarget focus) = 0;            // OK button only
    virtual bool ConfirmOkCancel(const std::string& text, const std::string& title) = 0; // true on OK
};

// Per-user string values under the group "Settings".
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string Read(const std::string& key, const std::string& fallback) = 0;
    virtual void Write(const std::string& key, const std::string& value) = 0;
};

enum class Button { Command1, cmdNextSearch, cmdStop, cmdResume, cmdViewDatabase, Command2, Command3 };
enum class ListId { List1, List2, List3 };

// Option controls of the main window, read at the moment of use.
struct Options {
    bool chkAuto = false;
    int cmbAdvance = 2;    // index into 1,000 .. 500,000
    int cmbLastSearch = 0; // 0 "Stop Immediately", 1 "Continue Until Stopped", -1 none
    bool chkAudioEmail = true;
    bool chkAudioNext = true;
    bool chkAudioFinished = true;
    bool chkNonUS = true;
    bool chkAddFax = true;
    int Combo1 = -1;           // 0 "Google Search", 1 "Yahoo Search"
    int Combo2 = -1;           // 0..5 "~100 Domains" .. "~10000 Domains"
    bool chkSecureWeb = false; // https first, redirects, every link of a page
    // Settings key "allowPrivateAddresses": connections into the user's own network (loopback,
    // private, link-local) are refused unless this is on, for an intranet harvest or a test web.
    bool allowPrivateAddresses = false;
};

struct Statistics {
    std::int32_t sessionSitesScanned = 0;
    std::int32_t sessionSitesFound = 0;
    std::int32_t sessionNumbersFound = 0;
    std::int32_t histSitesScanned = 0;
    std::int32_t histNumbersFound = 0;
};

struct EngineServices {
    Database& database;
    std::string appFolder; // ends without a separator
    SoundPlayer& sounds;
    UserPrompts& prompts;
    SettingsStore& settings;
    EndpointResolver resolve;                       // empty: connect to host:80
    EndpointResolver resolveSecure = {};            // empty: connect to host:443
    QList<QSslCertificate> trustedAuthorities = {}; // TLS trust; empty: the system's
};

class HarvestEngine final : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlotCount = 10;

    explicit HarvestEngine(EngineServices services, QObject* parent = nullptr);
    ~HarvestEngine() override;

    void SetListBuilder(ListBuilderLauncher* launcher);

    // Main-window load: steps 5 and 11 to 13 (run values, recent faxes, searches, batch, Resume).
    void LoadRunState();
    // Unload: clear the run flag and close every socket.
    void Shutdown();

    // Buttons and public routines of run control.
    void Command1_Click();
    void cmdDoSearch_Click();
    void cmdStop_Click();
    void cmdResume_Click();
    void cmdNextSearch_Click();
    void StartNextSearch();

    // Handlers of the main window that change the lists the engine owns.
    void cmdAdd_Click(const std::string& text);
    void cmbDel_Click(int selectedIndex);
    void Command3_Click();

    // The list-and-counter halves of the record operations.
    bool DeleteAllWebsites();
    // Empties the queue where a search starts; when it cannot, the harvest stops as on Stop,
    // status panel 1 tells why and the answer is false.
    bool EmptyQueueForSearch();
    // Raised each time a search opens a List builder; a builder acts only while its own is current.
    std::uint64_t ListBuild() const;
    // Deletes exactly the exported records, then shows the numbers that are left.
    bool DeleteExportedFaxes(const std::vector<FaxRecord>& records);
    bool DeleteAllFaxes();
    void ShowRecentFaxes();
    void ShowSearches();
    bool LoadWebsiteBatch();
    void RemoveFirstPhrase(); // List1 entry 0 only; the searches table keeps it

    void CountEvent(int kind);

    // State the windows show.
    bool harvesting() const;
    bool IsEnabled(Button button) const;
    const std::vector<std::string>& List(ListId list) const;
    const std::string& StatusText(int panel) const; // panels 1 to 4
    int ProgressValue() const;                      // 0 to 100
    const Statistics& Stats() const;
    std::int32_t FaxesFoundCount() const;
    const std::string& txtSearch() const;
    const std::string& AppFolder() const;
    Database& Store();

    Options& options();
    void SetAdvanceIndex(int index); // cmbAdvance: also sets advanceAfter for 0..7
    std::int32_t AdvanceAfter() const;
    void SetStatistics(const Statistics& stats); // LoadSettings; announces statisticsChanged
    void SetStatusText(int panel, const std::string& text);
    // Lets Stop end the List builder's wait for the user, who must answer an engine's page first.
    void SetStopEnabled(bool enabled);
    // Values without a control of their own (the List builder's pause between result pages).
    SettingsStore& Settings();

    // Time-outs in seconds and the timer tick, settable so tests take seconds, not minutes.
    void SetTimeouts(std::int16_t idleSeconds, std::int16_t totalSeconds);
    void SetTickInterval(int milliseconds);
    const std::string& TimedOutHosts() const;

signals:
    void harvestingChanged(bool harvesting);
    void buttonEnabledChanged(tarnwick::Button button, bool enabled);
    void listChanged(tarnwick::ListId list);
    void statusTextChanged(int panel, const QString& text);
    void progressChanged(int value);
    void statisticsChanged(); // StatsD
    void harvestEnded();      // EndHarvest or Stop ran

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace tarnwick
