// Settings on QSettings, and the strict decimal reading the main window's load relies on.
#include "ui/QtSettingsStore.h"

#include <QSettings>
#include <charconv>

namespace tarnwick {
namespace {

QString FullKey(const std::string& key) {
    return QStringLiteral("Settings/") + QString::fromStdString(key);
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : store_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarnwick"),
             QStringLiteral("Tarnwick")) {}

QtSettingsStore::~QtSettingsStore() {
    Sync();
}

std::string QtSettingsStore::Read(const std::string& key, const std::string& fallback) {
    const QVariant value = store_.value(FullKey(key));
    if (!value.isValid()) {
        return fallback;
    }
    return value.toString().toStdString();
}

void QtSettingsStore::Write(const std::string& key, const std::string& value) {
    store_.setValue(FullKey(key), QString::fromStdString(value));
}

void QtSettingsStore::Sync() {
    store_.sync();
}

std::int64_t ReadNumber(SettingsStore& store, const std::string& key, std::int64_t fallback, std::int64_t low,
                        std::int64_t high) {
    const std::string text = store.Read(key, std::string());
    if (text.empty() || text.size() > 20) {
        return fallback;
    }
    std::int64_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || next != end || value < low || value > high) {
        return fallback;
    }
    return value;
}

} // namespace tarnwick
