#pragma once

#include <QString>
#include <QVariant>

#include <functional>

class QObject;

namespace vesk {

class SettingsStore;

// How a control reaches its setting: a read and a write of the value in its stored form
// (a Boolean, a double, an enumeration's raw string). Most come from the store's
// catalogue by key; a mapped value (copy or move over a Boolean, whole cells) passes its
// own pair. `key` names the control (its object name).
struct SettingBinding {
    QString key;
    std::function<QVariant()> read;
    std::function<void(const QVariant&)> write;

    // The setting `key` of the catalogue; a key the catalogue lacks reads nothing and
    // writes nothing.
    static SettingBinding forKey(SettingsStore& settings, const QString& key);
};

// Calls `show` with the binding's value now and after every settings write, for as long
// as `control` lives. Controls show values without writing them back, so a refresh never
// writes.
void followSetting(QObject* control, SettingsStore& settings, const SettingBinding& binding,
                   std::function<void(const QVariant&)> show);
// Calls `refresh` now and after every settings write, for as long as `context` lives.
void followSettings(QObject* context, SettingsStore& settings, std::function<void()> refresh);

} // namespace vesk
