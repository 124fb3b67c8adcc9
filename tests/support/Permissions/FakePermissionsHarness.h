#pragma once

#include "Vesk/Permissions/ActivationHolds.h"
#include "Vesk/Permissions/Permissions.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"

#include "support/ManualScheduler.h"
#include "support/Permissions/FakePermissionLayers.h"

#include <memory>

namespace vesk::test {

// Permissions over fake platform answers, on the manual scheduler, next to settings in
// memory: what the first-run model and window are built on.
struct FakePermissionsHarness {
    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    FakePermissionLayers layers;
    ActivationHolds holds;
    PermissionPrompt prompt{holds};
    Permissions permissions{layers, prompt};
};

} // namespace vesk::test
