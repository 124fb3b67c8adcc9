#pragma once

#include <QWidget>

namespace vesk {

class NotchWindowController;
class SettingsStore;
class SyncCoordinator;

// Behaviour, gestures, the notch size tuning and the detected geometry. A change of the
// notch width or height rebuilds the notch once per distinct value; the geometry card
// reads the report again after every rebuild. Without a controller the report is empty
// and nothing is rebuilt.
QWidget* makeGeneralPane(SettingsStore& settings, NotchWindowController* controller, SyncCoordinator* sync);

} // namespace vesk
