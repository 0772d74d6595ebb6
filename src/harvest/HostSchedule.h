// When a host may be asked again: at most two downloads at once, a gap between the starts of
// two requests, a pause after "429" or "503" and the skip after the second one. Pure: the
// caller passes the clock, in milliseconds since 1970 so that Retry-After dates compare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tarnwick {

using Millis = std::int64_t;

// The host of a URL's host text as the schedule and the robots memory know it: without a
// ":port", in lower case.
std::string HostKey(std::string_view host);

// A Retry-After value as a wait from `now`: whole seconds, or an HTTP date in any of the three
// forms HTTP allows (a date already past waits 0). Nothing when the value is neither.
std::optional<Millis> RetryAfterDelay(std::string_view value, Millis now);

class HostSchedule final {
public:
    static constexpr int kMaxActive = 2;
    static constexpr Millis kMinGap = 1'000;
    static constexpr Millis kDefaultPause = 60'000;
    static constexpr Millis kMaxPause = 600'000;
    static constexpr Millis kNever = std::numeric_limits<Millis>::max();
    static constexpr std::size_t kDefaultCapacity = 100'000;

    enum class State {
        Ready,   // may start now
        Waiting, // its gap, Crawl-delay or pause runs until NextDue
        Busy,    // two downloads are running, or it is held; a Finished or Release frees it
        Skipped, // paused twice in this run
    };

    // Past `capacity` hosts the oldest idle ones (nothing running, not held) are forgotten, as if
    // never seen.
    explicit HostSchedule(std::size_t capacity = kDefaultCapacity)
        : capacity_(capacity) {}

    // The host's Crawl-delay stretches its gap when it is longer than a second.
    void SetCrawlDelay(const std::string& hostKey, Millis delay);

    State StateOf(std::string_view hostKey, Millis now) const;
    bool CanStart(std::string_view hostKey, Millis now) const {
        return StateOf(hostKey, now) == State::Ready;
    }
    void Started(const std::string& hostKey, Millis now);
    void Finished(std::string_view hostKey);
    // While a host's robots.txt is being fetched its pages wait, whatever the gap says.
    void Hold(const std::string& hostKey);
    void Release(std::string_view hostKey);
    // After a 429 or 503: the host rests for its Retry-After (at most 10 minutes) or a minute.
    // The second time in a run it is skipped for the rest of the run; returns true then.
    bool BackOff(const std::string& hostKey, Millis now, std::string_view retryAfter);
    // The earliest time the gap and any pause allow the next start; kNever once skipped.
    Millis NextDue(std::string_view hostKey) const;
    bool Skipped(std::string_view hostKey) const;
    int Active(std::string_view hostKey) const;

    // A new run: every host forgotten.
    void Clear();
    std::size_t size() const { return hosts_.size(); }

private:
    struct Host {
        int active = 0;
        int backOffs = 0;
        bool held = false;
        Millis lastStart = std::numeric_limits<Millis>::min();
        Millis pausedUntil = std::numeric_limits<Millis>::min();
        Millis gap = kMinGap;
    };
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
    };

    const Host* Find(std::string_view hostKey) const;
    Host& Entry(const std::string& hostKey);
    void ForgetIdleOldest();

    std::size_t capacity_;
    std::unordered_map<std::string, Host, KeyHash, std::equal_to<>> hosts_;
    std::deque<std::string> order_;
};

// The outcome of looking over the work list for the next website to take.
struct WorkPick {
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t index = kNone;            // the first website whose host is ready or skipped
    bool skipped = false;                 // that website's host is skipped: drop it unfetched and pick again
    bool allWaiting = false;              // the list holds websites and every one waits for its host
    std::size_t waitingFor = kNone;       // when all wait: the website whose host comes due first
    Millis wakeAt = HostSchedule::kNever; // when all wait: the first due time; kNever if all are busy
};

// Looks over `websites` in order; `hostOf(website)` gives the host key of an entry. A slot takes
// the picked entry, so it never idles while another host could start.
template <typename Websites, typename HostOf>
WorkPick PickWork(const Websites& websites, HostOf hostOf, const HostSchedule& schedule, Millis now) {
    WorkPick pick;
    std::size_t index = 0;
    for (const auto& website : websites) {
        const auto& key = hostOf(website);
        switch (schedule.StateOf(key, now)) {
        case HostSchedule::State::Ready:
        case HostSchedule::State::Skipped:
            pick.index = index;
            pick.skipped = schedule.Skipped(key);
            pick.waitingFor = WorkPick::kNone;
            pick.wakeAt = HostSchedule::kNever;
            return pick;
        case HostSchedule::State::Waiting:
            if (const Millis due = schedule.NextDue(key); due < pick.wakeAt) {
                pick.wakeAt = due;
                pick.waitingFor = index;
            }
            break;
        case HostSchedule::State::Busy:
            if (pick.waitingFor == WorkPick::kNone) {
                pick.waitingFor = index;
            }
            break;
        }
        ++index;
    }
    pick.allWaiting = index > 0;
    return pick;
}

} // namespace tarnwick
