#include "VeskUI/Tokens/Vesk.h"

#include "VeskKit/Notch/NotchState.h"
#include "VeskUI/Motion/ReduceMotion.h"
#include "VeskUI/Tokens/Typography.h"

namespace vesk::Vesk {

namespace Type_ {

#define VESK_TYPE_STYLE(name, ...)                                                                           \
    const QFont& name() {                                                                                    \
        static const QFont font = systemFont(__VA_ARGS__);                                                   \
        return font;                                                                                         \
    }

VESK_TYPE_STYLE(activityTitle, 13, QFont::DemiBold)
VESK_TYPE_STYLE(activitySubtitle, 11, QFont::Normal)
VESK_TYPE_STYLE(widgetHeader, 11, QFont::DemiBold)
VESK_TYPE_STYLE(mediaTitle, 14, QFont::DemiBold)
VESK_TYPE_STYLE(mediaArtist, 12, QFont::Normal)
VESK_TYPE_STYLE(timerDigits, 34, QFont::Medium, FontDesign::rounded, true)
VESK_TYPE_STYLE(numeric, 11, QFont::Medium, FontDesign::monospaced)
VESK_TYPE_STYLE(settingsSection, 11, QFont::DemiBold)
VESK_TYPE_STYLE(settingsRow, 13, QFont::Normal)
VESK_TYPE_STYLE(settingsFootnote, 11, QFont::Normal)

#undef VESK_TYPE_STYLE

} // namespace Type_

QColor tintColor(TintName tint) {
    switch (tint) {
    case TintName::brass:
        return Accent::x500;
    case TintName::sage:
        return Semantic::sage;
    case TintName::amber:
        return Semantic::amber;
    case TintName::oxblood:
        return Semantic::oxblood;
    case TintName::slate:
        return Semantic::slate;
    case TintName::stone:
        return Stone::x100;
    }
    return Stone::x100;
}

namespace Motion {

MotionSpec hud(HUDSpeed speed) {
    switch (speed) {
    case HUDSpeed::smooth:
        return MotionSpec::spring(0.5, 0.85);
    case HUDSpeed::fast:
        return MotionSpec::spring(0.28, 0.85);
    case HUDSpeed::instant:
        return MotionSpec::linear(0);
    }
    return MotionSpec::linear(0);
}

MotionSpec respectingReduceMotion(const MotionSpec& motion) {
    return respectingReduceMotion(motion, ReduceMotion::shared().isOn());
}

MotionSpec forStateChange(const NotchState& newState) {
    return respectingReduceMotion(newState.isOpen() ? open : close);
}

} // namespace Motion

} // namespace vesk::Vesk
