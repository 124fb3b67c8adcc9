#pragma once

#include <QString>

#include <functional>

namespace vesk {
class SettingsStore;
}

// "Replace System HUDs": the setting suppressSystemHUD, which needs the key tap to
// intercept (the Accessibility check) only to be turned on.
namespace vesk::hudReplacement {

QString accessibilityTitle();
QString accessibilityMessage();

// Turning it on without Accessibility calls `explainMissingAccessibility` and changes
// nothing; otherwise the setting flips and `restartEventTap` runs so the tap picks its
// mode from the new value. Returns the setting afterwards.
bool toggle(SettingsStore& settings, const std::function<bool()>& hasAccessibility,
            const std::function<void()>& explainMissingAccessibility,
            const std::function<void()>& restartEventTap);

} // namespace vesk::hudReplacement
