#include "Vesk/Controls/SettingBinding.h"

#include "VeskKit/Settings/SettingsStore.h"

#include <QObject>
#include <QPointer>

namespace vesk {

SettingBinding SettingBinding::forKey(SettingsStore& settings, const QString& key) {
    for (const SettingDescriptor& descriptor : SettingsStore::catalogue()) {
        if (descriptor.key != key) continue;
        QPointer<SettingsStore> store(&settings);
        const auto read = descriptor.read;
        const auto write = descriptor.write;
        return {key, [store, read] { return store ? read(*store) : QVariant(); },
                [store, write](const QVariant& value) {
                    if (store) write(*store, value);
                }};
    }
    return {key, [] { return QVariant(); }, [](const QVariant&) {}};
}

void followSetting(QObject* control, SettingsStore& settings, const SettingBinding& binding,
                   std::function<void(const QVariant&)> show) {
    if (control->objectName().isEmpty()) control->setObjectName(binding.key);
    const auto read = binding.read;
    followSettings(control, settings, [read, show] { show(read()); });
}

void followSettings(QObject* context, SettingsStore& settings, std::function<void()> refresh) {
    refresh();
    QObject::connect(&settings, &SettingsStore::revisionChanged, context, [refresh] { refresh(); });
}

} // namespace vesk
