// The ten download slots: each one's download with its time-outs, the timer of a slot waiting
// for work, the generation raised by every take, and the progress texts of its download.
#pragma once

#include "harvest/Download.h"
#include "harvest/RobotsTxt.h"
#include "harvest/Services.h"
#include "harvest/WebAddress.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace tarnwick {

class RunView;

// A page whose download completed, with what its chain needs of the download.
struct PageJob {
    int slot = 0;
    std::string host; // of the last response, after redirects
    std::string path;
    bool secureWeb = false;
    WebUrl url;              // of the last response, for resolving the page's links
    std::string contentType; // of the last response (secure web only): the page's character set
    std::string page;
    int status = 0;         // secure web: of the last response
    std::string retryAfter; // secure web: its Retry-After value
};

class SlotPool final : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlotCount = 10;
    enum class Phase { Idle, Fetching, PageChain, Waiting };

    SlotPool(const EngineServices& services, RunView& view, QObject* parent = nullptr);
    ~SlotPool() override;

    Phase phase(int slot) const { return At(slot).phase; }
    std::uint64_t generation(int slot) const { return At(slot).generation; }
    // Another slot than `slot` is downloading or reading a page.
    bool OthersAtWork(int slot) const;

    // A new take: ends what the slot was doing and raises its generation, which is answered.
    std::uint64_t Renew(int slot);
    // Fetches host + path; the status bar says so.
    void Start(int slot, const std::string& host, const std::string& path, bool secureWeb);
    // Lets the next starts connect into the user's own network (an intranet or a test web).
    void SetAllowPrivateAddresses(bool allow) { allowPrivateAddresses_ = allow; }
    // Secure web: fetches the robots.txt of `host` beside the slots, with their time-outs;
    // robotsFetched follows. A fetch of the same host key already under way is not repeated.
    void FetchRobots(const std::string& hostKey, const std::string& host);
    std::size_t RobotsInFlight() const { return robots_.size(); }
    // Nothing to fetch: waitOver follows after the idle time-out.
    void Wait(int slot);
    // The slot's page chain has ended; the slot is free for its next take.
    void ChainEnded(int slot);
    // Stop and the end of a harvest: every download still in flight is abandoned; pages that
    // arrived keep their chains.
    void AbandonDownloads();
    // Closing the program: every slot ends, chains included.
    void CloseAll();

    void SetTimeouts(std::int16_t idleSeconds, std::int16_t totalSeconds);
    void SetTickInterval(int milliseconds);
    std::int16_t idleTimeout() const { return timeout_; }

signals:
    void pageArrived(tarnwick::PageJob job);
    // A download that ended without a page; `unreachable` when its host is to be skipped.
    void downloadFailed(int slot, bool unreachable, const std::string& host);
    void waitOver(int slot);
    // `unreachable` when the host timed out or could not be reached.
    void robotsFetched(const std::string& hostKey, const std::string& host, const tarnwick::RobotsTxt& robots,
                       bool unreachable);

private:
    struct Slot {
        std::unique_ptr<Download> download;
        std::unique_ptr<QTimer> waitTimer;
        bool secureWeb = false;
        Phase phase = Phase::Idle;
        std::uint64_t generation = 0;
    };

    Slot& At(int i) { return slots_[static_cast<std::size_t>(i)]; }
    const Slot& At(int i) const { return slots_[static_cast<std::size_t>(i)]; }
    void Close(Slot& slot);
    void OnProgress(int i, std::int64_t bytes, std::int64_t length);
    void OnFinished(int i, Download::Outcome outcome);
    void OnWaitOver(int i);
    void OnRobotsFinished(const std::string& hostKey, const std::string& host, Download::Outcome outcome);

    RunView& view_;
    DownloadRoutes routes_;
    std::array<Slot, kSlotCount> slots_;
    std::unordered_map<std::string, std::unique_ptr<Download>> robots_; // by host key
    std::int16_t timeout_ = 10;
    std::int16_t totalTimeout_ = 30;
    int tickMs_ = 1000;
    bool allowPrivateAddresses_ = false;
};

} // namespace tarnwick
