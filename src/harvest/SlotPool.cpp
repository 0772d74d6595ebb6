#include "harvest/SlotPool.h"

#include "harvest/RunView.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {

SlotPool::SlotPool(const EngineServices& services, RunView& view, QObject* parent)
    : QObject(parent)
    , view_(view)
    , routes_{services.resolve, services.resolveSecure, services.trustedAuthorities} {
    for (int i = 0; i < kSlotCount; ++i) {
        Slot& slot = At(i);
        slot.download = std::make_unique<Download>(routes_);
        slot.download->SetTickInterval(tickMs_);
        slot.waitTimer = std::make_unique<QTimer>();
        slot.waitTimer->setSingleShot(true);
        Download* download = slot.download.get();
        connect(download, &Download::requestSent, this, [this] { view_.SetProgress(0); });
        connect(download, &Download::hopStarted, this, [this, download] {
            view_.ShowDownloading(download->url().https, download->host(), download->path());
        });
        connect(download, &Download::progress, this,
                [this, i](std::int64_t bytes, std::int64_t length) { OnProgress(i, bytes, length); });
        connect(download, &Download::finished, this,
                [this, i](Download::Outcome outcome) { OnFinished(i, outcome); });
        connect(slot.waitTimer.get(), &QTimer::timeout, this, [this, i] { OnWaitOver(i); });
    }
}

SlotPool::~SlotPool() {
    for (Slot& slot : slots_) {
        disconnect(slot.download.get(), nullptr, nullptr, nullptr);
        disconnect(slot.waitTimer.get(), nullptr, nullptr, nullptr);
        slot.waitTimer->stop();
        slot.download->Abort();
    }
    for (auto& [key, download] : robots_) {
        disconnect(download.get(), nullptr, nullptr, nullptr);
        download->Abort();
    }
}

// Ends whatever the slot was doing; its socket's close is then not taken for a finished page.
void SlotPool::Close(Slot& slot) {
    slot.phase = Phase::Idle;
    slot.waitTimer->stop();
    slot.download->Abort();
}

bool SlotPool::OthersAtWork(int i) const {
    for (int j = 0; j < kSlotCount; ++j) {
        const Phase phase = At(j).phase;
        if (j != i && (phase == Phase::Fetching || phase == Phase::PageChain)) {
            return true;
        }
    }
    return false;
}

std::uint64_t SlotPool::Renew(int i) {
    Slot& slot = At(i);
    Close(slot);
    return ++slot.generation;
}

void SlotPool::Start(int i, const std::string& host, const std::string& path, bool secureWeb) {
    Slot& slot = At(i);
    Close(slot);
    slot.secureWeb = secureWeb;
    view_.ShowDownloading(secureWeb, host, path);
    slot.phase = Phase::Fetching;
    slot.download->SetAllowPrivateAddresses(allowPrivateAddresses_);
    slot.download->Start(host, path, secureWeb);
}

void SlotPool::Wait(int i) {
    Slot& slot = At(i);
    slot.phase = Phase::Waiting;
    slot.waitTimer->start(tickMs_ * std::max<int>(1, timeout_));
}

void SlotPool::ChainEnded(int i) {
    Slot& slot = At(i);
    if (slot.phase == Phase::PageChain) {
        slot.phase = Phase::Idle;
    }
}

void SlotPool::AbandonDownloads() {
    for (Slot& slot : slots_) {
        if (slot.phase != Phase::PageChain) {
            slot.phase = Phase::Idle;
        }
        slot.waitTimer->stop();
        slot.download->Abort();
    }
    for (auto& [key, download] : robots_) {
        download->Abort();
    }
    robots_.clear();
}

void SlotPool::FetchRobots(const std::string& hostKey, const std::string& host) {
    if (robots_.contains(hostKey)) {
        return;
    }
    auto download = std::make_unique<Download>(routes_);
    download->SetTickInterval(tickMs_);
    download->SetTimeouts(timeout_, totalTimeout_);
    download->SetAllowPrivateAddresses(allowPrivateAddresses_);
    download->SetBodyCap(RobotsTxt::kMaxBytes); // what lies beyond is never parsed
    connect(download.get(), &Download::finished, this,
            [this, hostKey, host](Download::Outcome outcome) { OnRobotsFinished(hostKey, host, outcome); });
    Download& started = *download;
    robots_.emplace(hostKey, std::move(download));
    started.Start(host, "/robots.txt", true);
}

void SlotPool::OnRobotsFinished(const std::string& hostKey, const std::string& host,
                                Download::Outcome outcome) {
    const auto it = robots_.find(hostKey);
    if (it == robots_.end()) {
        return;
    }
    // Its own signal is still running: the download goes once the event loop has it back.
    Download* download = it->second.release();
    robots_.erase(it);
    download->deleteLater();
    const bool timedOut = outcome == Download::Outcome::TimedOut;
    const bool unreachable = outcome == Download::Outcome::Unreachable;
    const RobotsFetchEnd end = timedOut
                                   ? RobotsFetchEnd::TimedOut
                                   : (unreachable ? RobotsFetchEnd::Unreachable : RobotsFetchEnd::Answered);
    const std::string body = outcome == Download::Outcome::Page ? download->TakePage() : std::string();
    emit robotsFetched(hostKey, host, RobotsFromFetch(end, download->status(), body),
                       timedOut || unreachable);
}

void SlotPool::CloseAll() {
    for (Slot& slot : slots_) {
        Close(slot);
    }
}

void SlotPool::OnWaitOver(int i) {
    Slot& slot = At(i);
    if (!view_.harvesting() || slot.phase != Phase::Waiting) {
        return;
    }
    Close(slot);
    emit waitOver(i);
}

void SlotPool::OnProgress(int i, std::int64_t bytes, std::int64_t length) {
    Slot& slot = At(i);
    if (!view_.harvesting() || slot.phase != Phase::Fetching) {
        return;
    }
    view_.SetStatus(StatusPanel::Download, "Downloading: " + slot.download->host() + slot.download->path() +
                                               " (" + std::to_string(bytes) + ")");
    if (length >= 1) {
        const float percent = std::fabs(static_cast<float>(bytes) / static_cast<float>(length) * 100.0f);
        if (percent <= 100.0f) {
            view_.SetProgress(static_cast<int>(std::lround(percent)));
        }
    }
}

void SlotPool::OnFinished(int i, Download::Outcome outcome) {
    Slot& slot = At(i);
    if (!view_.harvesting() || slot.phase != Phase::Fetching) {
        return;
    }
    if (outcome == Download::Outcome::Page) {
        slot.phase = Phase::PageChain;
        slot.waitTimer->stop();
        Download& download = *slot.download;
        emit pageArrived(PageJob{i, download.host(), download.path(), slot.secureWeb, download.url(),
                                 download.contentType(), download.TakePage(), download.status(),
                                 download.retryAfter()});
        return;
    }
    const bool unreachable =
        outcome == Download::Outcome::TimedOut || outcome == Download::Outcome::Unreachable;
    const std::string host = slot.download->host();
    Close(slot);
    emit downloadFailed(i, unreachable, host);
}

void SlotPool::SetTimeouts(std::int16_t idleSeconds, std::int16_t totalSeconds) {
    timeout_ = idleSeconds;
    totalTimeout_ = totalSeconds;
    for (Slot& slot : slots_) {
        slot.download->SetTimeouts(idleSeconds, totalSeconds);
    }
}

void SlotPool::SetTickInterval(int milliseconds) {
    tickMs_ = std::max(1, milliseconds);
    for (Slot& slot : slots_) {
        slot.download->SetTickInterval(tickMs_);
    }
}

} // namespace tarnwick
