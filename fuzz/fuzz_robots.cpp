// robots.txt and Retry-After on arbitrary bytes: no crash, no hang on hostile patterns, and the
// answers keep the promises the crawler relies on.
#include "harvest/HostSchedule.h"
#include "harvest/RobotsTxt.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool promise) {
    if (!promise) {
        std::abort();
    }
}

bool PrintableAscii(const std::string& text) {
    for (const char c : text) {
        if (c <= 0x20 || c >= 0x7F) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const tarnwick::RobotsTxt robots = tarnwick::RobotsTxt::Parse(text);
    Check(robots.CrawlDelayMs() >= 0 && robots.CrawlDelayMs() <= tarnwick::RobotsTxt::kMaxCrawlDelayMs);
    Check(robots.IsAllowed("/robots.txt"));

    // Each line of the input also serves as a path, so patterns meet paths made to defeat them.
    std::size_t start = 0;
    for (int lines = 0; start <= text.size() && lines < 64; ++lines) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string path = "/" + text.substr(start, end - start);
        const std::string normalised = tarnwick::NormaliseRobotsPath(path);
        Check(PrintableAscii(normalised));
        Check(tarnwick::NormaliseRobotsPath(normalised) == normalised);
        Check(robots.IsAllowed(path) == robots.IsAllowed(normalised));
        start = end + 1;
    }

    const std::optional<tarnwick::Millis> delay = tarnwick::RetryAfterDelay(text, 1'800'000'000'000);
    Check(!delay || *delay >= 0);
    tarnwick::HostSchedule schedule;
    schedule.Started("a.com", 0);
    schedule.BackOff("a.com", 0, text);
    Check(schedule.NextDue("a.com") >= tarnwick::HostSchedule::kMinGap &&
          schedule.NextDue("a.com") <= tarnwick::HostSchedule::kMaxPause);
    return 0;
}
