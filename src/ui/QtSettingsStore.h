// The per-user settings store on QSettings: organisation and application "Tarnwick", group "Settings",
// plus the checked reads that turn a stored text back into a control value.
#pragma once

#include "harvest/HarvestEngine.h"

#include <cstdint>
#include <string>

namespace tarnwick {

class QtSettingsStore final : public SettingsStore {
public:
    std::string Read(const std::string& key, const std::string& fallback) override;
    void Write(const std::string& key, const std::string& value) override;
};

// The stored value of key as a whole decimal number within [low, high]; anything else (absent, not
// a number, out of range) gives fallback. The store itself only ever writes valid values, but the
// file is the user's and may have been edited.
std::int64_t ReadNumber(SettingsStore& store, const std::string& key, std::int64_t fallback, std::int64_t low,
                        std::int64_t high);

} // namespace tarnwick
