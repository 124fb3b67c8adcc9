#pragma once

#include "Vesk/SettingsWindow/SettingsWindowEnvironment.h"

#include <QWidget>

namespace vesk {

class SettingsStore;
class SyncCoordinator;

// Behaviour, gestures, the notch size tuning and the detected geometry. A change of the
// notch width or height rebuilds the notch once per distinct value; the geometry card
// reads the report again after every rebuild. Without the notch windows' functions the
// report is empty and nothing is rebuilt.
QWidget* makeGeneralPane(SettingsStore& settings, const SettingsWindowEnvironment::NotchWindows& notch,
                         SyncCoordinator* sync);

} // namespace vesk
