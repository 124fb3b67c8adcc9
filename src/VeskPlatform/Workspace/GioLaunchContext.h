#pragma once

typedef struct _GAppLaunchContext GAppLaunchContext;

namespace vesk::childEnvironment {

// A new GIO launch context whose environment is forChildren(), for every program GIO
// starts for us; the caller unrefs it.
GAppLaunchContext* newLaunchContext();

} // namespace vesk::childEnvironment
