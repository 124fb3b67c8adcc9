#pragma once

#include "VeskServices/Focus/FocusService.h"

#include <QPointer>
#include <QString>

#include <optional>

namespace vesk {

class UserDefaults;

// Carries the Focus name and symbol chosen in the Focus filter to the Focus service,
// and keeps them in the user defaults so they survive until the next launch.
// Main thread only.
class FocusFilterBridge {
public:
    static inline const QString modeNameKey = QStringLiteral("focusFilterModeName");
    static inline const QString modeSymbolKey = QStringLiteral("focusFilterModeSymbol");

    // The process-wide bridge over the standard user defaults.
    static FocusFilterBridge& shared();

    // Over the given defaults (tests); null means the standard ones, looked up at each use.
    explicit FocusFilterBridge(UserDefaults* defaults = nullptr) : m_defaults(defaults) {}

    // Remembers the service and hands it the stored name and symbol, if any was stored.
    void restore(FocusService& service);
    // Stores the pair (an absent value removes its key) and hands it to the service
    // when one was registered and still exists.
    void apply(const std::optional<QString>& name, const std::optional<QString>& symbol);

    FocusService* service() const { return m_service.data(); }

private:
    UserDefaults& defaults() const;

    UserDefaults* m_defaults;
    QPointer<FocusService> m_service;
};

} // namespace vesk
