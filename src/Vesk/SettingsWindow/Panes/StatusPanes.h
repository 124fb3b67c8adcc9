#pragma once

#include "Vesk/Permissions/Permission.h"

#include <QWidget>

#include <functional>

namespace vesk {

class SettingsStore;

QWidget* makeBatteryPane(SettingsStore& settings);
// Without the Bluetooth permission the pane asks for it first and dims its cards; with
// no Bluetooth service at all there is nothing to ask, and it says so instead.
QWidget* makeConnectivityPane(SettingsStore& settings, PermissionState permissionState,
                              std::function<void()> onRequest, bool bluetoothAbsent = false);
// Without a mode's own name the pane explains the generic pill under its card.
QWidget* makeFocusPane(SettingsStore& settings, bool hasRichIdentity);
// When no source reads every player the pane says so at its end.
QWidget* makeNowPlayingPane(SettingsStore& settings, bool isUniversal);

} // namespace vesk
