#pragma once

#include <QString>

// In-app notifications of the notch surface, posted through NotificationCenter without
// an object; only veskTrayDragChanged carries user info.
namespace vesk::notchNotifications {

// The desk asks the shell to open the settings window.
inline const QString veskOpenSettings = QStringLiteral("app.tessarn.notch.openSettings");
// Right after veskOpenSettings from the Shortcuts widget: show the Shortcuts pane.
inline const QString veskOpenShortcuts = QStringLiteral("app.tessarn.notch.openShortcuts");
// Right after veskOpenSettings from the Quick Apps widget: show the Quick Apps pane.
inline const QString veskOpenQuickApps = QStringLiteral("app.tessarn.notch.openQuickApps");
// The settings window asks the shell to show the welcome window.
inline const QString veskShowWelcome = QStringLiteral("app.tessarn.notch.showWelcome");
// A drag out of the tray started (sourcing true) or ended (false, also when missing).
inline const QString veskTrayDragChanged = QStringLiteral("app.tessarn.notch.trayDragChanged");
inline const QString sourcingKey = QStringLiteral("sourcing");

} // namespace vesk::notchNotifications
