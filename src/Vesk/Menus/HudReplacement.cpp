#include "Vesk/Menus/HudReplacement.h"

#include "VeskKit/Settings/SettingsStore.h"

namespace vesk::hudReplacement {

QString accessibilityTitle() {
    return QStringLiteral("Another program has those keys");
}

QString accessibilityMessage() {
    return QStringLiteral(
        "To replace the system volume and brightness HUDs, VeskNotch has to intercept those keys "
        "— and another program holds them now.\n\nTurn off that program's shortcuts for them (often "
        "the desktop's own), then choose “Replace System HUDs” again.");
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
