// The per-user settings store on QSettings: organisation and application "Tarnwick", group "Settings",
// plus the checked reads that turn a stored text back into a control value. One settings object lives
// as long as the store: a write changes memory, and the file is written from the event loop after a
// burst of writes, on Sync and when the store goes.
#pragma once

#include "harvest/HarvestEngine.h"

#include <QSettings>
#include <cstdint>
#include <string>

namespace tarnwick {

class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::string Read(const std::string& key, const std::string& fallback) override;
    void Write(const std::string& key, const std::string& value) override;
    // Writes what changed to the file now (the program calls it as it closes).
    void Sync();

private:
    QSettings store_;
};

// The stored value of key as a whole decimal number within [low, high]; anything else (absent, not
// a number, out of range) gives fallback. The store itself only ever writes valid values, but the
// file is the user's and may have been edited.
std::int64_t ReadNumber(SettingsStore& store, const std::string& key, std::int64_t fallback, std::int64_t low,
                        std::int64_t high);

} // namespace tarnwick
