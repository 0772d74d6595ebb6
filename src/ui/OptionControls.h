// The main window's option controls as one table: each row's widget, settings key, default and the
// engine option it sets. Loading, saving and handing the options to the engine all walk this table,
// so an option added here is stored, restored and seen by the engine alike.
#pragma once

#include "harvest/HarvestEngine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QObject>
#include <functional>

namespace tarnwick {

// A check box's value is 0 or 1, a list's its index (-1 when nothing is chosen).
struct OptionControl {
    QWidget* widget = nullptr;
    const char* key = "";
    int fallback = 0;
    void (*apply)(HarvestEngine& engine, int value) = nullptr;
};

// A row that sets the engine option Member.
template <bool Options::*Member> OptionControl CheckOption(QCheckBox* box, const char* key, bool fallback) {
    return {box, key, fallback ? 1 : 0,
            [](HarvestEngine& engine, int value) { engine.options().*Member = value != 0; }};
}

template <int Options::*Member> OptionControl IndexOption(QComboBox* combo, const char* key, int fallback) {
    return {combo, key, fallback, [](HarvestEngine& engine, int value) { engine.options().*Member = value; }};
}

// The advance list: the engine turns the index into its count of websites.
OptionControl AdvanceOption(QComboBox* combo, const char* key, int fallback);

int ShownValue(const OptionControl& option);
void ShowValue(const OptionControl& option, int value);
// The stored value when it is one the control offers, otherwise the default.
int StoredValue(SettingsStore& settings, const OptionControl& option);
// Calls changed with the new value whenever the user (or the program) changes the control.
void OnValueChanged(const OptionControl& option, QObject* context, std::function<void(int)> changed);

} // namespace tarnwick
