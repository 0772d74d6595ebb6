// The per-host schedule under a simulated crawl: ten slots take websites from a work list with
// PickWork, each download lasting a fixed simulated time. Measures the cost of one take and
// reports the simulated pages per second, so the gap between a host's requests can be seen not to
// stall the slots when many hosts are queued (and to hold one host to its pace when it is alone).
#include "harvest/HostSchedule.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <deque>
#include <string>
#include <vector>

namespace {

using tarnwick::HostSchedule;
using tarnwick::Millis;
using tarnwick::WorkPick;

constexpr int kSlots = 10;
constexpr Millis kFetchTime = 20;

struct Website {
    std::string address;
    std::string host;
};

class Crawl {
public:
    // `run` websites of one host follow each other, as the links of one page do.
    Crawl(int hosts, std::size_t listSize, int run)
        : hosts_(hosts)
        , run_(run) {
        while (work_.size() < listSize) {
            Queue();
        }
    }

    // Advances the simulated clock until a slot takes a website, and takes it.
    void TakeOne() {
        for (;;) {
            Complete();
            Millis next = HostSchedule::kNever;
            if (inFlight_.size() < kSlots) {
                const WorkPick pick = tarnwick::PickWork(
                    work_, [](const Website& w) -> const std::string& { return w.host; }, schedule_, now_);
                if (pick.index != WorkPick::kNone) {
                    Start(pick.index);
                    return;
                }
                next = pick.wakeAt;
            }
            for (const auto& [end, host] : inFlight_) {
                next = std::min(next, end);
            }
            now_ = std::max(now_ + 1, next);
        }
    }

    Millis Now() const { return now_; }

private:
    void Queue() {
        const int host = static_cast<int>((queued_ / run_) * 7919 % hosts_);
        work_.push_back({"host" + std::to_string(host) + ".example/p" + std::to_string(queued_),
                         "host" + std::to_string(host) + ".example"});
        ++queued_;
    }

    void Start(std::size_t index) {
        const std::string host = work_[index].host;
        schedule_.Started(host, now_);
        inFlight_.emplace_back(now_ + kFetchTime, host);
        work_.erase(work_.begin() + static_cast<std::ptrdiff_t>(index));
        Queue();
    }

    void Complete() {
        for (auto it = inFlight_.begin(); it != inFlight_.end();) {
            if (it->first <= now_) {
                schedule_.Finished(it->second);
                it = inFlight_.erase(it);
            } else {
                ++it;
            }
        }
    }

    int hosts_;
    int run_;
    long queued_ = 0;
    Millis now_ = 1'800'000'000'000;
    HostSchedule schedule_;
    std::deque<Website> work_;
    std::vector<std::pair<Millis, std::string>> inFlight_;
};

// Arguments: hosts, work-list length, websites of one host in a row.
void BM_PolitePick(benchmark::State& state) {
    Crawl crawl(static_cast<int>(state.range(0)), static_cast<std::size_t>(state.range(1)),
                static_cast<int>(state.range(2)));
    const Millis start = crawl.Now();
    for (auto _ : state) {
        crawl.TakeOne();
    }
    const double seconds = static_cast<double>(crawl.Now() - start) / 1000.0;
    state.counters["sim_pages_per_s"] = seconds > 0 ? static_cast<double>(state.iterations()) / seconds : 0.0;
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PolitePick)
    ->Args({10'000, 20, 1})
    ->Args({10'000, 20, 10})
    ->Args({10'000, 200, 10})
    ->Args({10'000, 1'000, 10})
    ->Args({10'000, 5'000, 10})
    ->Args({100'000, 20, 1})
    ->Args({50, 20, 10})
    ->Args({1, 20, 1});

} // namespace

BENCHMARK_MAIN();
