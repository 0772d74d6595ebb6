#include "harvest/RunControl.h"

#include "harvest/Address.h"
#include "harvest/HarvestStats.h"
#include "harvest/PageChain.h"
#include "harvest/PhraseList.h"
#include "harvest/RunView.h"
#include "harvest/Services.h"
#include "harvest/SlotPool.h"
#include "harvest/WebAddress.h"
#include "harvest/WorkQueue.h"
#include "store/Database.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMetaObject>
#include <algorithm>

namespace tarnwick {

namespace {

// On the secure web a queued website is split as written: a query may hold "http://" or "/".
HostPath SecureAddress(const std::string& website) {
    WebUrl url = WebsiteUrl(website, true);
    return HostPath{std::move(url.host), std::move(url.path)};
}

} // namespace

RunControl::RunControl(EngineServices& services, Options& options, RunView& view, HarvestStats& stats,
                       PhraseList& phrases, WorkQueue& queue, SlotPool& pool, PageChain& chain,
                       QObject* parent)
    : QObject(parent)
    , services_(services)
    , options_(options)
    , view_(view)
    , stats_(stats)
    , phrases_(phrases)
    , queue_(queue)
    , slots_(pool)
    , chain_(chain) {
    static_assert(SlotPool::kSlotCount == 10);
    wakeTimer_.setSingleShot(true);
    connect(&wakeTimer_, &QTimer::timeout, this, [this] {
        wakeDue_ = HostSchedule::kNever;
        WakeWaitingSlots();
    });
    connect(&slots_, &SlotPool::pageArrived, this, &RunControl::OnPageArrived);
    connect(&slots_, &SlotPool::robotsFetched, this, &RunControl::OnRobotsFetched);
    connect(&slots_, &SlotPool::downloadFailed, this, &RunControl::OnDownloadFailed);
    connect(&slots_, &SlotPool::waitOver, this, &RunControl::TakeNextWebsite);
    connect(&chain, &PageChain::ended, this, &RunControl::OnChainEnded);
}

bool RunControl::Alive(int slot, std::uint64_t generation) const {
    return view_.harvesting() && slots_.generation(slot) == generation;
}

void RunControl::BeginSearch(bool freshListBuilder) {
    view_.ShowListing();
    if (!EmptyQueueForSearch()) {
        return;
    }
    queue_.fetched().Clear();
    schedule_.Clear();
    robots_.Clear();
    ReportUnwritableStore();
    if (options_.chkAudioNext) {
        PlaySound(services_, "nextsearch.wav");
    }
    if (phrases_.Count() == 0) {
        services_.prompts.ShowMessage("Please enter at least one search term before begining your search.",
                                      FocusTarget::Text1);
        return;
    }
    if (options_.Combo1 < 0) {
        services_.prompts.ShowMessage("Please enter a search type before begining your search.",
                                      FocusTarget::Combo1);
        return;
    }
    if (options_.Combo2 < 0) {
        services_.prompts.ShowMessage(
            "Please select the number of search results to retrieve before begining your search.",
            FocusTarget::Combo2);
        return;
    }
    // Whatever an earlier build still has under way is dropped from here on.
    ++listBuild_;
    if (freshListBuilder && launcher_ != nullptr) {
        launcher_->UnloadListBuilder();
    }
    view_.SettxtSearch(phrases_.Current());
    if (launcher_ != nullptr) {
        launcher_->LoadListBuilder();
    }
}

void RunControl::DoSearch() {
    view_.SetHarvesting(true);
    dryAnnounced_ = false;
    view_.ShowHarvestRunning(phrases_.HasMoreThanOne());
    sitesSinceAdvance_ = 0;
    if (queue_.ListEmpty() && queue_.LoadBatch()) {
        view_.SetEnabled(Button::cmdResume, false);
    }
    // The secure web starts every slot: those without work wait for the pages of the others.
    const int slotsToStart =
        options_.chkSecureWeb
            ? SlotPool::kSlotCount
            : static_cast<int>(std::min<std::size_t>(queue_.ListSize() + 1, SlotPool::kSlotCount));
    for (int i = 0; i < slotsToStart; ++i) {
        // A slot whose page is still being read takes its next website when the page is done.
        if (slots_.phase(i) != SlotPool::Phase::PageChain) {
            TakeNextWebsite(i);
        }
    }
}

void RunControl::Resume() {
    view_.SetEnabled(Button::cmdResume, false);
    DoSearch();
}

void RunControl::Next() {
    if (!phrases_.HasMoreThanOne()) {
        if (options_.cmbLastSearch == 1) {
            PlayFinishedSound();
        } else {
            Stop();
        }
        return;
    }
    Stop();
    phrases_.DropCurrent();
    if (!EmptyQueueForSearch()) {
        return;
    }
    queue_.ClearList();
    view_.UpdateNextButton();
    BeginSearch(false);
}

bool RunControl::EmptyQueueForSearch() {
    if (queue_.EmptyAll()) {
        return true;
    }
    Halt(false);
    view_.SetStatus(StatusPanel::Download, "Cannot empty the website queue");
    return false;
}

void RunControl::ReportUnwritableStore() {
    if (!services_.database.CanWrite()) {
        view_.SetStatus(StatusPanel::Download, "Cannot write to spider.mdb");
    }
}

void RunControl::TakeNextWebsite(int i) {
    if (options_.chkSecureWeb) {
        TakeSecure(i);
    } else {
        TakeClassic(i);
    }
}

bool RunControl::CountTake(int i, std::uint64_t generation) {
    sitesSinceAdvance_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(sitesSinceAdvance_) + 1u);
    if (sitesSinceAdvance_ > advanceAfter_ && options_.chkAuto) {
        sitesSinceAdvance_ = 0;
        Next();
        // Only at the last phrase under "Continue Until Stopped" does the harvest go on;
        // the slot then goes on with it instead of falling idle for good.
        return Alive(i, generation);
    }
    return true;
}

void RunControl::TakeClassic(int i) {
    QElapsedTimer slice;
    slice.start();
    // A skipped host hands the slot straight to the next website: a loop, not recursion, that
    // lets pending events run when it has gone on for a slice.
    for (;;) {
        if (!view_.harvesting()) {
            return;
        }
        const std::uint64_t generation = slots_.Renew(i);
        if (!CountTake(i, generation)) {
            return;
        }
        const std::optional<std::string> head = queue_.TakeHead();
        if (!head) {
            return;
        }
        std::string website = *head;
        const std::string next = NextQueuedWebsite();
        if (!Alive(i, generation)) {
            // The harvest ended or moved to the next phrase: the work list is no longer ours.
            view_.Changed(ListId::List2);
            return;
        }
        queue_.Append(next, options_.chkSecureWeb);
        // A work list down to the website just queued: that website is the head now, the one
        // handed to this slot, instead of being dropped unfetched by the next take.
        if (website.empty() && queue_.ListSize() == 1 && !next.empty()) {
            website = next;
        }
        if (StartDownload(i, website) != Start::Skipped) {
            return;
        }
        if (slice.elapsed() >= PageChain::kSliceMs) {
            TakeLater(i, generation);
            return;
        }
    }
}

// A long run of skipped websites hands back to the event loop; the slot goes on from there
// unless it was renewed meanwhile.
void RunControl::TakeLater(int i, std::uint64_t generation) {
    QMetaObject::invokeMethod(
        this,
        [this, i, generation] {
            if (Alive(i, generation)) {
                TakeNextWebsite(i);
            }
        },
        Qt::QueuedConnection);
}

// The slot takes the first website of the window whose host may start now; websites of a host
// skipped for the run leave unfetched. When every host waits, so does the slot.
void RunControl::TakeSecure(int i) {
    QElapsedTimer slice;
    slice.start();
    for (;;) {
        if (!view_.harvesting()) {
            return;
        }
        ReleaseHost(i);
        const std::uint64_t generation = slots_.Renew(i);
        const Millis now = Now();
        const std::vector<std::string>& window = queue_.Window(kSecureWindow);
        const WorkPick pick = PickWork(
            window, [](const std::string& website) { return HostKey(SecureAddress(website).host); },
            schedule_, now);
        if (pick.index == WorkPick::kNone) {
            if (pick.allWaiting) {
                WaitForHost(i, window[pick.waitingFor], pick.wakeAt);
            } else {
                WaitForWork(i, generation);
            }
            return;
        }
        if (pick.skipped || RobotsLetTake(pick.index, window[pick.index])) {
            // Only a website that leaves the queue counts towards the advance: passes that wait
            // for a host or for its robots.txt take nothing.
            const std::string website = queue_.RemoveAt(pick.index);
            if (!CountTake(i, generation)) {
                return;
            }
            if (!pick.skipped && !website.empty() && StartDownload(i, website) != Start::Skipped) {
                return;
            }
        }
        if (slice.elapsed() >= PageChain::kSliceMs) {
            TakeLater(i, generation);
            return;
        }
    }
}

bool RunControl::RobotsLetTake(std::size_t index, const std::string& website) {
    const HostPath address = SecureAddress(website);
    const std::string key = HostKey(address.host);
    if (key.empty()) {
        return true;
    }
    if (const RobotsTxt* robots = robots_.Find(key)) {
        if (robots->IsAllowed(EscapeRequestPath(address.path))) {
            return true;
        }
        queue_.RemoveAt(index);
        return false;
    }
    if (queue_.skipped().Contains(address.host, true)) {
        return true; // the take drops it without a connection
    }
    robotsPending_.insert(key);
    schedule_.Hold(key);
    if (slots_.RobotsInFlight() < SlotPool::kSlotCount) {
        slots_.SetAllowPrivateAddresses(options_.allowPrivateAddresses);
        slots_.FetchRobots(key, address.host);
    } else {
        robotsWaiting_.emplace_back(key, address.host);
    }
    return false;
}

// A host that could not be reached for its robots.txt is skipped like one whose page could not.
void RunControl::OnRobotsFetched(const std::string& hostKey, const std::string& host, const RobotsTxt& robots,
                                 bool unreachable) {
    if (robotsPending_.erase(hostKey) == 0) {
        return;
    }
    schedule_.Release(hostKey);
    schedule_.SetCrawlDelay(hostKey, robots.CrawlDelayMs());
    robots_.Remember(hostKey, robots);
    if (unreachable) {
        queue_.skipped().Add(host, true);
    }
    if (!robotsWaiting_.empty() && view_.harvesting()) {
        const auto [nextKey, nextHost] = robotsWaiting_.front();
        robotsWaiting_.pop_front();
        slots_.FetchRobots(nextKey, nextHost);
    }
    WakeWaitingSlots();
}

void RunControl::WaitForHost(int i, const std::string& website, Millis wakeAt) {
    view_.SetStatus(StatusPanel::Download, "Waiting for " + HostName(SecureAddress(website).host));
    ArmWake(wakeAt);
    slots_.Wait(i);
}

void RunControl::ArmWake(Millis wakeAt) {
    if (wakeAt == HostSchedule::kNever || (wakeTimer_.isActive() && wakeDue_ <= wakeAt)) {
        return;
    }
    wakeDue_ = wakeAt;
    const Millis delay = std::clamp<Millis>(wakeAt - Now(), 0, HostSchedule::kMaxPause);
    wakeTimer_.start(static_cast<int>(delay));
}

void RunControl::ReleaseHost(int i) {
    std::string& host = slotHost_[static_cast<std::size_t>(i)];
    if (!host.empty()) {
        schedule_.Finished(host);
        host.clear();
    }
}

Millis RunControl::Now() const {
    return services_.clock ? services_.clock() : QDateTime::currentMSecsSinceEpoch();
}

// A 429 or 503 answer is not a page: its host rests, and the website is fetched again after
// the pause unless the host is now skipped for the run.
void RunControl::OnPageArrived(PageJob job) {
    const int i = job.slot;
    if (job.secureWeb && (job.status == 429 || job.status == 503)) {
        const std::string host = slotHost_[static_cast<std::size_t>(i)];
        ReleaseHost(i);
        if (!host.empty() && !schedule_.BackOff(host, Now(), job.retryAfter)) {
            queue_.Requeue(slotWebsite_[static_cast<std::size_t>(i)]);
        }
        OnChainEnded(i, true);
        return;
    }
    ReleaseHost(i);
    chain_.Begin(std::move(job));
}

void RunControl::WaitForWork(int i, std::uint64_t generation) {
    if (!slots_.OthersAtWork(i)) {
        QueueRanDry();
        if (!Alive(i, generation)) {
            return;
        }
    }
    slots_.Wait(i);
}

void RunControl::WakeWaitingSlots() {
    if (!options_.chkSecureWeb) {
        return;
    }
    for (int j = 0; j < SlotPool::kSlotCount && view_.harvesting(); ++j) {
        if (slots_.phase(j) == SlotPool::Phase::Waiting &&
            (!queue_.ListEmpty() || !queue_.FirstQueued().empty())) {
            TakeNextWebsite(j);
        }
    }
}

std::string RunControl::NextQueuedWebsite() {
    std::string website = queue_.FirstQueued();
    if (website.empty()) {
        QueueRanDry();
    }
    return website;
}

void RunControl::QueueRanDry() {
    if (phrases_.HasMoreThanOne()) {
        EndHarvest();
        DropPhraseAndQueue();
        return;
    }
    if (view_.harvesting()) {
        queue_.DropEmptyHead();
    }
    if (!queue_.ListEmpty()) {
        return;
    }
    if (options_.cmbLastSearch != 1) {
        EndHarvest();
    } else if (!dryAnnounced_) {
        // Idle slots look again at every idle time-out; the sound marks only the moment the
        // queue ran dry.
        dryAnnounced_ = true;
        PlayFinishedSound();
    }
}

// The phrase whose queue ran dry is done: the next one starts with a fresh List builder.
void RunControl::DropPhraseAndQueue() {
    phrases_.DropCurrent();
    const bool emptied = queue_.EmptyAll();
    queue_.ClearList();
    view_.UpdateNextButton();
    if (!emptied) {
        view_.SetStatus(StatusPanel::Download, "Cannot empty the website queue");
        return;
    }
    BeginSearch(true);
}

RunControl::Start RunControl::StartDownload(int i, const std::string& website) {
    if (!view_.harvesting()) {
        return Start::NotStarted;
    }
    const bool secureWeb = options_.chkSecureWeb;
    const HostPath address = secureWeb ? SecureAddress(website) : SplitAddress(website);
    if (address.host.empty()) {
        slots_.Wait(i);
        return Start::NotStarted;
    }
    if (queue_.skipped().Contains(address.host, secureWeb)) {
        return Start::Skipped;
    }
    dryAnnounced_ = false;
    if (secureWeb) {
        queue_.fetched().Add(address.host + address.path);
        const std::string host = HostKey(address.host);
        schedule_.Started(host, Now());
        slotHost_[static_cast<std::size_t>(i)] = host;
        slotWebsite_[static_cast<std::size_t>(i)] = website;
    }
    slots_.SetAllowPrivateAddresses(options_.allowPrivateAddresses);
    slots_.Start(i, address.host, address.path, secureWeb);
    return Start::Started;
}

void RunControl::Halt(bool queueRanDry) {
    view_.SetHarvesting(false);
    dryAnnounced_ = false;
    view_.ShowHarvestStopped(services_.database.CountWebsites() > 0);
    slots_.AbandonDownloads();
    for (int i = 0; i < SlotPool::kSlotCount; ++i) {
        ReleaseHost(i);
    }
    for (const std::string& host : robotsPending_) {
        schedule_.Release(host);
    }
    robotsPending_.clear();
    robotsWaiting_.clear();
    wakeTimer_.stop();
    view_.SetProgress(100);
    view_.SetStatus(StatusPanel::Download, "Stopped");
    view_.SetStatus(StatusPanel::Step, queueRanDry ? "No more websites queued" : "");
    view_.SetStatus(StatusPanel::Result, queueRanDry ? "Try a different search" : "");
    view_.SetStatus(StatusPanel::Extra, "");
    stats_.Save();
    PlayFinishedSound();
    emit harvestEnded();
}

void RunControl::PlayFinishedSound() {
    if (options_.chkAudioFinished) {
        PlaySound(services_, "finished.wav");
    }
}

void RunControl::OnDownloadFailed(int slot, bool unreachable, const std::string& host) {
    ReleaseHost(slot);
    if (unreachable) {
        // The host is skipped from now on; on the secure web it may be a redirect's target.
        queue_.skipped().Add(host, options_.chkSecureWeb);
    }
    TakeNextWebsite(slot);
    WakeWaitingSlots();
}

// A page that arrived has been read; the slot goes on only while the harvest runs. A page file
// that could not be read leaves the slot idle.
void RunControl::OnChainEnded(int slot, bool complete) {
    slots_.ChainEnded(slot);
    if (complete && slots_.phase(slot) == SlotPool::Phase::Idle) {
        TakeNextWebsite(slot);
        WakeWaitingSlots();
    }
}

} // namespace tarnwick
