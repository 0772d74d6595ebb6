// The five statistics counters and CountEvent. The lifetime counters live in memory and reach
// the settings store at most once a second while they change, and whenever Save is called (at
// Stop, at the end of a harvest and when the program closes): writing the settings file on
// every counted page cost the program a third of its time.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

namespace tarnwick {

class SettingsStore;

struct Statistics {
    std::int32_t sessionSitesScanned = 0;
    std::int32_t sessionSitesFound = 0;
    std::int32_t sessionNumbersFound = 0;
    std::int32_t histSitesScanned = 0;
    std::int32_t histNumbersFound = 0;
};

// What CountEvent counts; the values are the event codes the List builder and the pages use.
enum class Counted { WebsiteScanned = 0, WebsiteFound = 1, NumberStored = 2 };

class HarvestStats final : public QObject {
    Q_OBJECT
public:
    static constexpr int kSaveIntervalMs = 1000;

    explicit HarvestStats(SettingsStore& settings, QObject* parent = nullptr);

    const Statistics& Get() const { return stats_; }
    void Set(const Statistics& stats); // as read at load; nothing is saved
    void Count(Counted what);
    void ResetSessionSites();   // the queue was emptied
    void ResetSessionNumbers(); // the numbers were deleted

    // Writes the lifetime counters that changed since the last save.
    void Save();

signals:
    void changed(); // StatsD

private:
    SettingsStore& settings_;
    Statistics stats_;
    Statistics saved_;
    QTimer saveTimer_;
};

} // namespace tarnwick
