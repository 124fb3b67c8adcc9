#include "Vesk/Menus/HudReplacement.h"

#include "VeskKit/Settings/SettingsStore.h"

namespace vesk::hudReplacement {

QString accessibilityTitle() {
    return QStringLiteral("Accessibility access needed");
}

QString accessibilityMessage() {
    return QStringLiteral(
        "To replace the system volume and brightness HUDs, VeskNotch has to intercept those keys "
        "— which needs Accessibility access.\n\nAdd VeskNotch in the list, turn it on, then "
        "choose “Replace System HUDs” again.");
}

bool toggle(SettingsStore& settings, const std::function<bool()>& hasAccessibility,
            const std::function<void()>& explainMissingAccessibility,
            const std::function<void()>& restartEventTap) {
    const bool wasOn = settings.suppressSystemHUD();
    if (!wasOn && !(hasAccessibility && hasAccessibility())) {
        if (explainMissingAccessibility) explainMissingAccessibility();
        return false;
    }
    settings.setSuppressSystemHUD(!wasOn);
    if (restartEventTap) restartEventTap();
    return !wasOn;
}

} // namespace vesk::hudReplacement
