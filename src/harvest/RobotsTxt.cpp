// robots.txt rules, the meaning of a fetch that did not answer 2xx, and the memory of a run.
#include "harvest/RobotsTxt.h"

#include "harvest/TextPasses.h"
#include "harvest/WebLinks.h"
#include "text/Cp1252.h"

#include <algorithm>

namespace tarnwick {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// The file up to the size limit, without a line the limit cut in two.
std::string_view WithinLimit(std::string_view text) {
    if (text.size() <= RobotsTxt::kMaxBytes) {
        return text;
    }
    const std::string_view kept = text.substr(0, RobotsTxt::kMaxBytes);
    const char next = text[RobotsTxt::kMaxBytes];
    if (next == '\n' || next == '\r') {
        return kept;
    }
    const std::size_t lastBreak = kept.find_last_of("\r\n");
    return lastBreak == std::string_view::npos ? std::string_view() : kept.substr(0, lastBreak + 1);
}

// "*" and a closing "$" as RFC 9309 gives them; otherwise the pattern is a prefix of the path.
// With "*" as the only wildcard, taking each piece between stars at its first place after the
// previous one is as good as any choice, so a match costs the path plus the pattern, never
// their product, whatever a file's patterns look like.
bool PatternMatches(std::string_view pattern, std::string_view path) {
    const bool anchored = !pattern.empty() && pattern.back() == '$';
    if (anchored) {
        pattern.remove_suffix(1);
    }
    const std::size_t firstStar = std::min(pattern.find('*'), pattern.size());
    const std::string_view head = pattern.substr(0, firstStar);
    if (!path.starts_with(head)) {
        return false;
    }
    if (firstStar == pattern.size()) {
        return !anchored || path.size() == head.size();
    }
    std::size_t at = head.size();
    std::size_t from = firstStar + 1;
    for (std::size_t star = pattern.find('*', from); star != std::string_view::npos;
         from = star + 1, star = pattern.find('*', from)) {
        const std::string_view piece = pattern.substr(from, star - from);
        if (piece.empty()) {
            continue;
        }
        const std::size_t found = TextFinder(piece, LetterCase::Exact).Find(path, at);
        if (found == std::string_view::npos) {
            return false;
        }
        at = found + piece.size();
    }
    const std::string_view tail = pattern.substr(from);
    if (anchored) {
        return path.size() - at >= tail.size() && path.ends_with(tail);
    }
    return tail.empty() || TextFinder(tail, LetterCase::Exact).Find(path, at) != std::string_view::npos;
}

// The leading product token of a User-agent value ("Tarnwick/2.0" names "Tarnwick").
std::string_view ProductToken(std::string_view value) {
    std::size_t end = 0;
    while (end < value.size()) {
        const char c = value[end];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-')) {
            break;
        }
        ++end;
    }
    return value.substr(0, end);
}

bool SameToken(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithText(a, b, LetterCase::Ignore);
}

// Seconds, optionally with a fraction, in milliseconds up to the cap; -1 when not a number.
std::int64_t CrawlDelayMsOf(std::string_view value) {
    std::int64_t ms = 0;
    std::size_t at = 0;
    bool digits = false;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
        ms = std::min(ms * 10 + (value[at] - '0') * 1000, RobotsTxt::kMaxCrawlDelayMs);
        digits = true;
    }
    if (at < value.size() && value[at] == '.') {
        std::int64_t scale = 100;
        for (++at; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
            ms += (value[at] - '0') * scale;
            scale /= 10;
            digits = true;
        }
    }
    if (!digits || at != value.size()) {
        return -1;
    }
    return std::min(ms, RobotsTxt::kMaxCrawlDelayMs);
}

// The records of the groups that name the token and of those that name "*", kept apart until
// the end decides which apply.
struct GroupRecords {
    bool seen = false;
    std::vector<RobotsTxt::Rule> rules;
    std::int64_t crawlDelayMs = 0;
};

} // namespace

std::string NormaliseRobotsPath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte == '%' && i + 2 < path.size() && HexDigitValue(path[i + 1]) >= 0 &&
            HexDigitValue(path[i + 2]) >= 0) {
            const auto decoded =
                static_cast<unsigned char>(HexDigitValue(path[i + 1]) * 16 + HexDigitValue(path[i + 2]));
            if (IsUnreserved(decoded)) {
                out += static_cast<char>(decoded);
            } else {
                AppendPercentEscaped(out, decoded);
            }
            i += 2;
        } else if (byte <= 0x20 || byte >= 0x7F || byte == '%') {
            // A "%" that starts no escape stands for itself, so normalising twice changes nothing.
            AppendPercentEscaped(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

RobotsTxt RobotsTxt::Parse(std::string_view text, std::string_view token) {
    text = WithinLimit(text);
    if (text.starts_with(kBom)) {
        text.remove_prefix(kBom.size());
    }
    GroupRecords named;
    GroupRecords star;
    bool inAgentLines = false;
    bool forNamed = false;
    bool forStar = false;
    for (std::string_view line : SplitLinesAt(text, "\r\n")) {
        line = line.substr(0, std::min(line.find('#'), line.size()));
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view key = TrimBlanks(line.substr(0, colon));
        const std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (SameToken(key, "user-agent")) {
            if (!inAgentLines) {
                forNamed = forStar = false;
            }
            inAgentLines = true;
            if (value.starts_with('*')) {
                forStar = star.seen = true;
            } else if (SameToken(ProductToken(value), token)) {
                forNamed = named.seen = true;
            }
        } else if (SameToken(key, "allow") || SameToken(key, "disallow")) {
            inAgentLines = false;
            if (value.empty()) {
                continue; // an empty pattern matches nothing
            }
            const Rule rule{SameToken(key, "allow"), NormaliseRobotsPath(value)};
            if (forNamed) {
                named.rules.push_back(rule);
            }
            if (forStar) {
                star.rules.push_back(rule);
            }
        } else if (SameToken(key, "crawl-delay")) {
            // Not a rule of RFC 9309, so it neither opens nor closes a group.
            const std::int64_t delay = CrawlDelayMsOf(value);
            for (GroupRecords* group : {forNamed ? &named : nullptr, forStar ? &star : nullptr}) {
                if (group && delay >= 0) {
                    group->crawlDelayMs = std::max(group->crawlDelayMs, delay);
                }
            }
        }
    }
    GroupRecords& chosen = named.seen ? named : star;
    RobotsTxt robots;
    robots.rules_ = std::move(chosen.rules);
    // The longest match decides and of two of one length the Allow wins, so the first match does.
    std::stable_sort(robots.rules_.begin(), robots.rules_.end(), [](const Rule& a, const Rule& b) {
        return a.pattern.size() != b.pattern.size() ? a.pattern.size() > b.pattern.size()
                                                    : a.allow && !b.allow;
    });
    robots.crawlDelayMs_ = chosen.crawlDelayMs;
    return robots;
}

RobotsTxt RobotsTxt::DisallowAll() {
    RobotsTxt robots;
    robots.rules_.push_back(Rule{false, "/"});
    return robots;
}

bool RobotsTxt::IsAllowed(std::string_view path) const {
    const std::string normalised = NormaliseRobotsPath(path);
    if (normalised == "/robots.txt") {
        return true;
    }
    // The rules are kept longest first, an Allow before a Disallow of the same length.
    for (const Rule& rule : rules_) {
        if (PatternMatches(rule.pattern, normalised)) {
            return rule.allow;
        }
    }
    return true;
}

std::size_t RobotsTxt::Footprint() const {
    std::size_t bytes = sizeof(RobotsTxt);
    for (const Rule& rule : rules_) {
        bytes += sizeof(Rule) + rule.pattern.capacity();
    }
    return bytes;
}

RobotsTxt RobotsFromFetch(RobotsFetchEnd end, int status, std::string_view body) {
    if (end != RobotsFetchEnd::Answered) {
        return RobotsTxt::DisallowAll();
    }
    if (status >= 200 && status <= 299) {
        return RobotsTxt::Parse(body);
    }
    if (status >= 300 && status <= 499) {
        return RobotsTxt();
    }
    return RobotsTxt::DisallowAll();
}

const RobotsTxt* RobotsMemory::Find(std::string_view hostKey) const {
    const auto found = byHost_.find(std::string(hostKey));
    return found == byHost_.end() ? nullptr : &found->second;
}

void RobotsMemory::Remember(const std::string& hostKey, RobotsTxt robots) {
    const std::size_t footprint = robots.Footprint() + hostKey.size();
    const auto [at, inserted] = byHost_.try_emplace(hostKey);
    if (inserted) {
        order_.push_back(hostKey);
    } else {
        bytes_ -= at->second.Footprint() + hostKey.size();
    }
    at->second = std::move(robots);
    bytes_ += footprint;
    // The newest answer stays even alone over the byte budget: the slot is about to use it.
    while (order_.size() > 1 && (order_.size() > maxHosts_ || bytes_ > maxBytes_)) {
        ForgetOldest();
    }
}

void RobotsMemory::ForgetOldest() {
    const auto found = byHost_.find(order_.front());
    bytes_ -= found->second.Footprint() + found->first.size();
    byHost_.erase(found);
    order_.pop_front();
}

void RobotsMemory::Clear() {
    std::unordered_map<std::string, RobotsTxt>().swap(byHost_);
    std::deque<std::string>().swap(order_);
    bytes_ = 0;
}

} // namespace tarnwick
