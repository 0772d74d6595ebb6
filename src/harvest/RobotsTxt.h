// robots.txt as RFC 9309 reads it: the group that names the crawler (else "*"), Allow and
// Disallow by the longest matching pattern, and the Crawl-delay of that group; plus what a fetch
// of /robots.txt that did not answer 2xx means, and the bounded memory of one run's answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnwick {

// The product token the crawler looks for in User-agent lines.
inline constexpr std::string_view kRobotsToken = "tarnwick";

class RobotsTxt final {
public:
    // Only this much of a file is read; a line cut by the limit is dropped.
    static constexpr std::size_t kMaxBytes = 500 * 1024;
    static constexpr std::int64_t kMaxCrawlDelayMs = 10'000;

    struct Rule {
        bool allow = false;
        std::string pattern; // normalised for comparison, "*" and a closing "$" kept
    };

    // Everything allowed, as for a file without rules for the crawler.
    RobotsTxt() = default;
    static RobotsTxt Parse(std::string_view text, std::string_view token = kRobotsToken);
    static RobotsTxt DisallowAll();

    // `path` is the request path with its query, as sent. "/robots.txt" is always allowed.
    bool IsAllowed(std::string_view path) const;
    // The Crawl-delay of the chosen group in milliseconds, at most 10 s; 0 when it names none.
    std::int64_t CrawlDelayMs() const { return crawlDelayMs_; }
    // The bytes the rules keep, for bounding the memory of many hosts' files.
    std::size_t Footprint() const;

private:
    std::vector<Rule> rules_;
    std::int64_t crawlDelayMs_ = 0;
};

// How the fetch of /robots.txt ended, redirects already followed.
enum class RobotsFetchEnd { Answered, TimedOut, Unreachable };

// 2xx: the body parsed; 3xx left after the redirects and 4xx: everything allowed; 5xx, any other
// answer, a time-out or an unreachable host: nothing allowed.
RobotsTxt RobotsFromFetch(RobotsFetchEnd end, int status, std::string_view body);

// A path or pattern in the one form both are compared in: "%xx" of an unreserved character
// decoded, other "%xx" kept with capital hex digits, bytes outside printable ASCII and a "%" that
// starts no escape percent-encoded.
std::string NormaliseRobotsPath(std::string_view path);

// The robots.txt answers of one run by host key. Past `maxHosts` entries or `maxBytes` of rules
// the oldest are forgotten (and fetched again if the host comes back).
class RobotsMemory final {
public:
    static constexpr std::size_t kDefaultMaxHosts = 100'000;
    static constexpr std::size_t kDefaultMaxBytes = 64u * 1024 * 1024;

    explicit RobotsMemory(std::size_t maxHosts = kDefaultMaxHosts, std::size_t maxBytes = kDefaultMaxBytes)
        : maxHosts_(maxHosts)
        , maxBytes_(maxBytes) {}

    // Null when the host has no remembered answer.
    const RobotsTxt* Find(std::string_view hostKey) const;
    void Remember(const std::string& hostKey, RobotsTxt robots);
    void Clear();
    std::size_t size() const { return byHost_.size(); }

private:
    void ForgetOldest();

    std::size_t maxHosts_;
    std::size_t maxBytes_;
    std::size_t bytes_ = 0;
    std::unordered_map<std::string, RobotsTxt> byHost_;
    std::deque<std::string> order_;
};

} // namespace tarnwick
