#include "Vesk/Desk/DeskEnvironment.h"

#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Workspace/DesktopApplications.h"
#include "VeskPlatform/Workspace/UrlOpener.h"
#include "VeskUI/Motion/ReduceMotion.h"
#include "VeskUI/Tokens/Vesk.h"

namespace vesk {

const ClockSource& DeskEnvironment::clockSource() const {
    static const SystemClock system;
    return clock ? *clock : system;
}

std::shared_ptr<DesktopApplications> DeskEnvironment::desktopApplications() const {
    static const std::shared_ptr<DesktopApplications> desktop = DesktopApplications::create();
    return applications ? applications : desktop;
}

Scheduler& DeskEnvironment::mainThreadScheduler() const {
    return scheduler ? *scheduler : mainScheduler();
}

bool DeskEnvironment::open(const QUrl& url) const {
    return openURL ? openURL(url) : urlOpener::open(url);
}

MotionSpec DeskEnvironment::hoverMotion() const {
    const bool reduced = reducesMotion ? reducesMotion() : ReduceMotion::shared().isOn();
    return reduced ? MotionSpec::linear(0) : Vesk::Motion::hover;
}

} // namespace vesk
