#pragma once

#include "Vesk/SettingsWindow/SettingsWindowEnvironment.h"

#include <functional>

namespace vesk {

class NotchWindowController;

// The General pane's view of the notch windows, over whichever controller `controller`
// finds at each call: none (null) reads as no report and nothing to rebuild.
SettingsWindowEnvironment::NotchWindows
settingsNotchWindows(std::function<NotchWindowController*()> controller);

} // namespace vesk
