// The headless harvest engine: the façade the windows and the List builder call, with the
// routine names of the main window. It owns the units that do the work: RunView (what the
// window shows), HarvestStats (the counters), PhraseList (List1), WorkQueue (List2 and the
// queue), SlotPool (the ten downloads), PageChain (an arrived page's steps) and RunControl.
#pragma once

#include "harvest/HarvestStats.h"
#include "harvest/RunView.h"
#include "harvest/Services.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick {

class Database;
struct FaxRecord;

class HarvestEngine final : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlotCount = 10;

    explicit HarvestEngine(EngineServices services, QObject* parent = nullptr);
    ~HarvestEngine() override;

    void SetListBuilder(ListBuilderLauncher* launcher);

    // Main-window load: steps 5 and 11 to 13 (run values, recent faxes, searches, batch, Resume).
    void LoadRunState();
    // Unload: clear the run flag, close every socket and save the lifetime counters.
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

    void CountEvent(Counted what);
    void CountEvent(int kind); // 0, 1 or 2 as Counted; any other kind only redraws

    // State the windows show; view() announces its changes.
    RunView& view();
    bool harvesting() const;
    bool IsEnabled(Button button) const;
    const std::vector<std::string>& List(ListId list) const;
    const std::string& StatusText(StatusPanel panel) const;
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
    void SaveStatistics();                       // the lifetime counters to the settings store now
    void SetStatusText(StatusPanel panel, const std::string& text);
    void SetStatusText(int panel, const std::string& text); // panels 1 to 4
    // Lets Stop end the List builder's wait for the user, who must answer an engine's page first.
    void SetStopEnabled(bool enabled);
    // Values without a control of their own (the List builder's pause between result pages).
    SettingsStore& Settings();

    // Time-outs in seconds and the timer tick, settable so tests take seconds, not minutes.
    void SetTimeouts(std::int16_t idleSeconds, std::int16_t totalSeconds);
    void SetTickInterval(int milliseconds);
    std::string TimedOutHosts() const;

signals:
    void statisticsChanged(); // StatsD
    void harvestEnded();      // EndHarvest or Stop ran

private:
    struct Units;
    std::unique_ptr<Units> d;
};

} // namespace tarnwick
