// Run control: Start and its checks, the harvest start, Stop, Resume, Next, the automatic
// advance, the take that hands a slot its next website and what happens when the queue runs
// dry. The one place the harvest starts, ends and moves between phrases.
#pragma once

#include <QObject>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

class HarvestStats;
class ListBuilderLauncher;
class PageChain;
class PhraseList;
class RunView;
class SlotPool;
class WorkQueue;
struct EngineServices;
struct Options;

class RunControl final : public QObject {
    Q_OBJECT
public:
    RunControl(EngineServices& services, Options& options, RunView& view, HarvestStats& stats,
               PhraseList& phrases, WorkQueue& queue, SlotPool& pool, PageChain& chain,
               QObject* parent = nullptr);

    void SetListBuilder(ListBuilderLauncher* launcher) { launcher_ = launcher; }

    void BeginSearch(bool freshListBuilder); // Start, and StartNextSearch with a fresh builder
    void DoSearch();                         // cmdDoSearch_Click
    void Stop() { Halt(false); }             // cmdStop_Click
    void Resume();                           // cmdResume_Click
    void Next();                             // cmdNextSearch_Click
    // Hands the slot its next website and starts the download.
    void TakeNextWebsite(int slot);
    // Empties the queue where a search starts; when it cannot, the harvest stops as on Stop,
    // status panel 1 tells why and the answer is false.
    bool EmptyQueueForSearch();
    void ReportUnwritableStore();

    std::uint64_t ListBuild() const { return listBuild_; }
    void ResetSitesSinceAdvance() { sitesSinceAdvance_ = 0; }
    std::int32_t advanceAfter() const { return advanceAfter_; }
    void SetAdvanceAfter(std::int32_t value) { advanceAfter_ = value; }

signals:
    void harvestEnded(); // EndHarvest or Stop ran

private:
    enum class Start { Started, Skipped, NotStarted };

    bool Alive(int slot, std::uint64_t generation) const;
    // The auto advance of every take; false when the slot's take has ended with it.
    bool CountTake(int slot, std::uint64_t generation);
    void TakeClassic(int slot);
    void TakeSecure(int slot);
    // Secure web: the head of the work list itself, topped up from the table.
    std::optional<std::string> TakeQueued();
    // Secure web: nothing to take. The slot waits while other slots still work; when none does,
    // the queue has run dry.
    void WaitForWork(int slot, std::uint64_t generation);
    // Secure web: slots waiting for work take it as soon as there is some.
    void WakeWaitingSlots();
    std::string NextQueuedWebsite();
    void QueueRanDry();
    Start StartDownload(int slot, const std::string& website);
    void Halt(bool queueRanDry);
    void EndHarvest() { Halt(true); }
    void DropPhraseAndQueue();
    void PlayFinishedSound(); // when "On Finished" is ticked
    void OnDownloadFailed(int slot, bool unreachable, const std::string& host);
    void OnChainEnded(int slot, bool complete);

    EngineServices& services_;
    Options& options_;
    RunView& view_;
    HarvestStats& stats_;
    PhraseList& phrases_;
    WorkQueue& queue_;
    SlotPool& slots_;
    ListBuilderLauncher* launcher_ = nullptr;

    std::int32_t sitesSinceAdvance_ = 0;
    std::int32_t advanceAfter_ = 10000;
    bool dryAnnounced_ = false;
    std::uint64_t listBuild_ = 0;
};

} // namespace tarnwick
