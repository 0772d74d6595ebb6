// Run control: Start and its checks, the harvest start, Stop, Resume, Next, the automatic
// advance, the take that hands a slot its next website and what happens when the queue runs
// dry. The one place the harvest starts, ends and moves between phrases.
#pragma once

#include "harvest/HostSchedule.h"
#include "harvest/RobotsTxt.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <utility>

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

struct PageJob;

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

    // Secure web: how many queued websites a take looks over for a host that may start.
    static constexpr std::size_t kSecureWindow = 200;

signals:
    void harvestEnded(); // EndHarvest or Stop ran

private:
    enum class Start { Started, Skipped, NotStarted };

    bool Alive(int slot, std::uint64_t generation) const;
    // The auto advance of every take; false when the slot's take has ended with it.
    bool CountTake(int slot, std::uint64_t generation);
    void TakeClassic(int slot);
    void TakeSecure(int slot);
    void TakeLater(int slot, std::uint64_t generation);
    // Secure web: every website of the work list's window waits for its host.
    void WaitForHost(int slot, const std::string& website, Millis wakeAt);
    void ArmWake(Millis wakeAt);
    // Secure web: the slot's download no longer counts against its host.
    void ReleaseHost(int slot);
    Millis Now() const;
    void OnPageArrived(PageJob job);
    // Secure web: whether the window's website `index` may be taken now. A website robots.txt
    // disallows, or of a skipped host, leaves the window; one whose host's robots.txt is unknown
    // waits while it is fetched.
    bool RobotsLetTake(std::size_t index, const std::string& website);
    void OnRobotsFetched(const std::string& hostKey, const std::string& host, const RobotsTxt& robots,
                         bool unreachable);
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
    PageChain& chain_;
    ListBuilderLauncher* launcher_ = nullptr;

    // Secure web: the hosts' turns, the host and website each slot is fetching, and the timer
    // that wakes waiting slots when the first host comes due.
    HostSchedule schedule_;
    std::array<std::string, 10> slotHost_;
    std::array<std::string, 10> slotWebsite_;
    RobotsMemory robots_;
    std::unordered_set<std::string> robotsPending_; // host keys held while their robots.txt comes
    // Fetches beyond as many as there are slots wait their turn: a window of new hosts must not
    // open hundreds of connections at once.
    std::deque<std::pair<std::string, std::string>> robotsWaiting_; // host key, host
    QTimer wakeTimer_;
    Millis wakeDue_ = HostSchedule::kNever;

    std::int32_t sitesSinceAdvance_ = 0;
    std::int32_t advanceAfter_ = 10000;
    bool dryAnnounced_ = false;
    std::uint64_t listBuild_ = 0;
};

} // namespace tarnwick
