#include "harvest/HarvestStats.h"

#include "harvest/Services.h"

#include <string>

namespace tarnwick {

namespace {

std::int32_t Increment(std::int32_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

} // namespace

HarvestStats::HarvestStats(SettingsStore& settings, QObject* parent)
    : QObject(parent)
    , settings_(settings) {
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(kSaveIntervalMs);
    connect(&saveTimer_, &QTimer::timeout, this, &HarvestStats::Save);
}

void HarvestStats::Set(const Statistics& stats) {
    stats_ = stats;
    saved_ = stats;
    emit changed();
}

void HarvestStats::Count(Counted what) {
    switch (what) {
    case Counted::WebsiteScanned:
        stats_.sessionSitesScanned = Increment(stats_.sessionSitesScanned);
        stats_.histSitesScanned = Increment(stats_.histSitesScanned);
        break;
    case Counted::WebsiteFound:
        stats_.sessionSitesFound = Increment(stats_.sessionSitesFound);
        break;
    case Counted::NumberStored:
        stats_.sessionNumbersFound = Increment(stats_.sessionNumbersFound);
        stats_.histNumbersFound = Increment(stats_.histNumbersFound);
        break;
    }
    // Saved a second after the first change that is not saved yet, with every change since.
    if (!saveTimer_.isActive()) {
        saveTimer_.start();
    }
    emit changed();
}

void HarvestStats::ResetSessionSites() {
    stats_.sessionSitesScanned = 0;
    stats_.sessionSitesFound = 0;
}

void HarvestStats::ResetSessionNumbers() {
    stats_.sessionNumbersFound = 0;
}

void HarvestStats::Save() {
    if (stats_.histSitesScanned != saved_.histSitesScanned) {
        settings_.Write("lHistWebScanned", std::to_string(stats_.histSitesScanned));
        saved_.histSitesScanned = stats_.histSitesScanned;
    }
    if (stats_.histNumbersFound != saved_.histNumbersFound) {
        settings_.Write("lHistEmailFound", std::to_string(stats_.histNumbersFound));
        saved_.histNumbersFound = stats_.histNumbersFound;
    }
}

} // namespace tarnwick
