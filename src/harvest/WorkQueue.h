// The websites still to fetch: the work list List2 with the `websites` table behind it, the
// hosts to skip and, on the secure web, what this run has fetched. A website leaves the table
// when it enters the work list.
#pragma once

#include "harvest/WebLinks.h"
#include "store/Database.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace tarnwick {

class HarvestStats;
class RunView;

// Hosts whose downloads timed out or could not connect. Classic mode keeps one text and skips
// every host found inside it, without regard to case. The secure web keeps an exact set keyed on
// host name and port, bounded so that a hostile web cannot grow it without end.
class SkippedHosts final {
public:
    static constexpr std::size_t kSecureCapacity = 100'000;

    void Add(const std::string& host, bool secureWeb);
    bool Contains(const std::string& host, bool secureWeb) const;
    // Classic hosts as one text, then the secure web's host names in the order they were added.
    std::string Text() const;
    void Clear();

private:
    static std::string Key(const std::string& host);

    std::string classic_;
    std::unordered_set<std::string> secureKeys_;
    std::deque<std::string> secureOrder_; // keys, oldest first
};

class WorkQueue final {
public:
    WorkQueue(RunView& view, Database& database, HarvestStats& stats);

    bool ListEmpty() const;
    std::size_t ListSize() const;

    // Moves the 20 newest queued websites into the work list; false when none were queued.
    bool LoadBatch();
    // Empties the table and the work list and zeroes the session's site counters; false when the
    // table could not be emptied.
    bool EmptyAll();
    void ClearList();

    // Removes the head of the work list and answers the new head ("" when the list is now
    // empty); nothing when the list was empty already.
    std::optional<std::string> TakeHead();
    // Secure web: the work list, topped up from the table to `size` websites, so that a slot
    // finds another host's website while the hosts at its head wait.
    const std::vector<std::string>& Window(std::size_t size);
    // Removes the work list's entry `index` and answers it.
    std::string RemoveAt(std::size_t index);
    // A website whose host asked for a pause goes back to the end of the work list.
    void Requeue(const std::string& website);
    // The oldest queued website, still in the table; "" when none (or the table is unreadable).
    std::string FirstQueued();
    // Moves `website` from the table to the end of the work list; "" is appended as it is.
    void Append(const std::string& website, bool secureWeb);
    // A work list holding only what empty takes left behind: cleared, so the queue counts as dry.
    void DropEmptyHead();

    // Queues a page's link unless known; counted as found once stored.
    void QueueLink(const std::string& address, bool secureWeb);

    SkippedHosts& skipped() { return skipped_; }
    const SkippedHosts& skipped() const { return skipped_; }
    FetchedWebsites& fetched() { return fetched_; }

private:
    static WebsiteText TextOf(bool secureWeb);

    RunView& view_;
    Database& db_;
    HarvestStats& stats_;
    SkippedHosts skipped_;
    FetchedWebsites fetched_; // secure web: what this run fetched, never queued again
};

} // namespace tarnwick
