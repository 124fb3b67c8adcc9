#include "Vesk/Bridge/FocusFilterBridge.h"

#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskServices/Focus/FocusService.h"

namespace vesk {

namespace {

void store(UserDefaults& defaults, const QString& key, const std::optional<QString>& value) {
    if (value)
        defaults.setString(key, *value);
    else
        defaults.remove(key);
}

} // namespace

FocusFilterBridge& FocusFilterBridge::shared() {
    static FocusFilterBridge bridge;
    return bridge;
}

UserDefaults& FocusFilterBridge::defaults() const {
    return m_defaults ? *m_defaults : UserDefaults::standard();
}

void FocusFilterBridge::restore(FocusService& service) {
    m_service = &service;
    const std::optional<QString> name = defaults().string(modeNameKey);
    const std::optional<QString> symbol = defaults().string(modeSymbolKey);
    if (!name && !symbol) return;
    service.applyFilterIdentity(name, symbol);
}

void FocusFilterBridge::apply(const std::optional<QString>& name, const std::optional<QString>& symbol) {
    store(defaults(), modeNameKey, name);
    store(defaults(), modeSymbolKey, symbol);
    // Before launch has registered the service the pair waits in the defaults.
    if (m_service) m_service->applyFilterIdentity(name, symbol);
}

} // namespace vesk
