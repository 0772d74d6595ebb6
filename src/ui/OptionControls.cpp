// Reading, showing and storing the values of the option table's controls.
#include "ui/OptionControls.h"

#include "ui/QtSettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <algorithm>
#include <utility>

namespace tarnwick {

OptionControl AdvanceOption(QComboBox* combo, const char* key, int fallback) {
    return {combo, key, fallback, [](HarvestEngine& engine, int value) { engine.SetAdvanceIndex(value); }};
}

int ShownValue(const OptionControl& option) {
    if (const auto* box = qobject_cast<const QCheckBox*>(option.widget)) {
        return box->isChecked() ? 1 : 0;
    }
    return static_cast<const QComboBox*>(option.widget)->currentIndex();
}

void ShowValue(const OptionControl& option, int value) {
    if (auto* box = qobject_cast<QCheckBox*>(option.widget)) {
        box->setChecked(value != 0);
    } else {
        static_cast<QComboBox*>(option.widget)->setCurrentIndex(value);
    }
}

int StoredValue(SettingsStore& settings, const OptionControl& option) {
    const auto* combo = qobject_cast<const QComboBox*>(option.widget);
    // Lists whose default is no choice also take "none" back.
    const int low = std::min(option.fallback, 0);
    const int high = combo ? combo->count() - 1 : 1;
    return int(ReadNumber(settings, option.key, option.fallback, low, high));
}

void OnValueChanged(const OptionControl& option, QObject* context, std::function<void(int)> changed) {
    if (auto* box = qobject_cast<QCheckBox*>(option.widget)) {
        QObject::connect(box, &QCheckBox::toggled, context,
                         [changed = std::move(changed)](bool checked) { changed(checked ? 1 : 0); });
    } else {
        QObject::connect(static_cast<QComboBox*>(option.widget), &QComboBox::currentIndexChanged, context,
                         std::move(changed));
    }
}

} // namespace tarnwick
