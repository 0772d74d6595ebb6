// The per-host schedule and the Retry-After value.
#include "harvest/HostSchedule.h"

#include "harvest/TextPasses.h"
#include "harvest/WebAddress.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tarnwick {

namespace {

constexpr Millis kMaxDelaySeconds = 1'000'000'000;

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int NumberOf(std::string_view digits) {
    int value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
Millis DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<Millis>(era) * 146097 + dayOfEra - 719468;
}

int MonthOf(std::string_view token) {
    static constexpr std::array<std::string_view, 12> kMonths{"jan", "feb", "mar", "apr", "may", "jun",
                                                              "jul", "aug", "sep", "oct", "nov", "dec"};
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (token.size() == 3 && StartsWithText(token, kMonths[i], LetterCase::Ignore)) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

std::vector<std::string_view> DateTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ' || text[i] == ',' || text[i] == '-') {
            if (i > start) {
                tokens.push_back(text.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return tokens;
}

// "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT" or "Sun Nov  6 08:49:37 1994"
// in milliseconds since 1970: in every form the first number is the day and the second the year.
std::optional<Millis> HttpDate(std::string_view text) {
    int day = 0;
    int month = 0;
    int year = -1;
    int seconds = -1;
    for (const std::string_view token : DateTokens(text)) {
        if (token.size() == 8 && token[2] == ':' && token[5] == ':' && AllDigits(token.substr(0, 2)) &&
            AllDigits(token.substr(3, 2)) && AllDigits(token.substr(6, 2))) {
            const int h = NumberOf(token.substr(0, 2));
            const int m = NumberOf(token.substr(3, 2));
            const int s = NumberOf(token.substr(6, 2));
            if (h > 23 || m > 59 || s > 60) {
                return std::nullopt;
            }
            seconds = h * 3600 + m * 60 + s;
        } else if (AllDigits(token) && token.size() <= 4) {
            if (day == 0) {
                day = NumberOf(token);
            } else if (year < 0) {
                year = NumberOf(token);
                year += token.size() == 2 ? (year < 70 ? 2000 : 1900) : 0;
            }
        } else if (const int named = MonthOf(token)) {
            month = named;
        }
    }
    if (day < 1 || day > 31 || month == 0 || year < 1970 || seconds < 0) {
        return std::nullopt;
    }
    return (DaysFromCivil(year, month, day) * 86'400 + seconds) * 1'000;
}

} // namespace

std::string HostKey(std::string_view host) {
    std::string key = HostName(std::string(host));
    std::transform(key.begin(), key.end(), key.begin(), FoldAscii);
    return key;
}

std::optional<Millis> RetryAfterDelay(std::string_view value, Millis now) {
    value = TrimBlanks(value);
    if (AllDigits(value)) {
        Millis seconds = 0;
        for (const char c : value) {
            seconds = std::min(seconds * 10 + (c - '0'), kMaxDelaySeconds);
        }
        return seconds * 1'000;
    }
    const std::optional<Millis> date = HttpDate(value);
    if (!date) {
        return std::nullopt;
    }
    return std::max<Millis>(*date - now, 0);
}

const HostSchedule::Host* HostSchedule::Find(std::string_view hostKey) const {
    const auto found = hosts_.find(hostKey);
    return found == hosts_.end() ? nullptr : &found->second;
}

HostSchedule::Host& HostSchedule::Entry(const std::string& hostKey) {
    const auto [at, inserted] = hosts_.try_emplace(hostKey);
    if (inserted) {
        order_.push_back(hostKey);
        if (hosts_.size() > capacity_) {
            ForgetIdleOldest();
        }
    }
    return at->second;
}

// Hosts with a download running or held are kept: their Finished or Release must still find them. The newest
// entry, at the back, is never looked at.
void HostSchedule::ForgetIdleOldest() {
    for (std::size_t turns = order_.size() - 1; turns > 0; --turns) {
        std::string key = std::move(order_.front());
        order_.pop_front();
        const auto found = hosts_.find(key);
        if (found->second.active == 0 && !found->second.held) {
            hosts_.erase(found);
            return;
        }
        order_.insert(order_.end() - 1, std::move(key));
    }
}

void HostSchedule::SetCrawlDelay(const std::string& hostKey, Millis delay) {
    Entry(hostKey).gap = std::max(kMinGap, delay);
}

HostSchedule::State HostSchedule::StateOf(std::string_view hostKey, Millis now) const {
    const Host* host = Find(hostKey);
    if (host == nullptr) {
        return State::Ready;
    }
    if (host->backOffs >= 2) {
        return State::Skipped;
    }
    if (host->active >= kMaxActive || host->held) {
        return State::Busy;
    }
    return now >= NextDue(hostKey) ? State::Ready : State::Waiting;
}

void HostSchedule::Started(const std::string& hostKey, Millis now) {
    Host& host = Entry(hostKey);
    ++host.active;
    host.lastStart = now;
}

void HostSchedule::Finished(std::string_view hostKey) {
    const auto found = hosts_.find(hostKey);
    if (found != hosts_.end() && found->second.active > 0) {
        --found->second.active;
    }
}

void HostSchedule::Hold(const std::string& hostKey) {
    Entry(hostKey).held = true;
}

void HostSchedule::Release(std::string_view hostKey) {
    const auto found = hosts_.find(hostKey);
    if (found != hosts_.end()) {
        found->second.held = false;
    }
}

bool HostSchedule::BackOff(const std::string& hostKey, Millis now, std::string_view retryAfter) {
    Host& host = Entry(hostKey);
    if (++host.backOffs >= 2) {
        return true;
    }
    const Millis pause = std::min(RetryAfterDelay(retryAfter, now).value_or(kDefaultPause), kMaxPause);
    host.pausedUntil = std::max(host.pausedUntil, now + pause);
    return false;
}

Millis HostSchedule::NextDue(std::string_view hostKey) const {
    const Host* host = Find(hostKey);
    if (host == nullptr) {
        return std::numeric_limits<Millis>::min();
    }
    if (host->backOffs >= 2) {
        return kNever;
    }
    const Millis afterGap =
        host->lastStart == std::numeric_limits<Millis>::min() ? host->lastStart : host->lastStart + host->gap;
    return std::max(afterGap, host->pausedUntil);
}

bool HostSchedule::Skipped(std::string_view hostKey) const {
    const Host* host = Find(hostKey);
    return host != nullptr && host->backOffs >= 2;
}

int HostSchedule::Active(std::string_view hostKey) const {
    const Host* host = Find(hostKey);
    return host == nullptr ? 0 : host->active;
}

void HostSchedule::Clear() {
    std::unordered_map<std::string, Host, KeyHash, std::equal_to<>>().swap(hosts_);
    std::deque<std::string>().swap(order_);
}

} // namespace tarnwick
