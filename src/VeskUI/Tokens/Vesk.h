#pragma once

#include "VeskKit/Activity/TintName.h"
#include "VeskKit/Foundation/RawEnum.h"
#include "VeskUI/Motion/MotionSpec.h"
#include "VeskUI/Tokens/Color.h"

#include <QColor>
#include <QFont>

#include <array>
#include <string_view>
#include <utility>

namespace vesk {
class NotchState;
}

// The shared visual vocabulary: colour ramps, semantic colours, type styles, radii,
// layout metrics and motion timings. Lengths are in device-independent pixels.
// Colours and motions are constants; fonts are built once, on first use (they need the
// GUI application), and shared.
namespace vesk::Vesk {

// Dark neutrals: the notch and card fills.
namespace Ink {
inline constexpr QColor x1000 = Color(0x000000);
inline constexpr QColor x950 = Color(0x0B0A09);
inline constexpr QColor x900 = Color(0x131110);
inline constexpr QColor x850 = Color(0x1A1817);
inline constexpr QColor x800 = Color(0x221F1D);
inline constexpr QColor x700 = Color(0x2E2A27);
inline constexpr QColor x600 = Color(0x3D3835);
inline constexpr QColor x500 = Color(0x55504B);
} // namespace Ink

// Warm greys for text on dark fills: x100 is the primary text, x400 the usual secondary.
namespace Stone {
inline constexpr QColor x100 = Color(0xEFEAE3);
inline constexpr QColor x200 = Color(0xCFC8BF);
inline constexpr QColor x300 = Color(0xA8A099);
inline constexpr QColor x400 = Color(0x7B736C);
} // namespace Stone

// Light surfaces.
namespace Paper {
inline constexpr QColor x50 = Color(0xFAF7F2);
inline constexpr QColor x100 = Color(0xF2EDE5);
inline constexpr QColor x200 = Color(0xE4DDD2);
inline constexpr QColor x900 = Color(0x211E1B);
} // namespace Paper

// The accent ramp; `on` is content drawn on an accent fill.
namespace Accent {
inline constexpr QColor x700 = Color(0x9A948A);
inline constexpr QColor x600 = Color(0xD6CFC2);
inline constexpr QColor x500 = Color(0xEDE6DA);
inline constexpr QColor x400 = Color(0xFFFAF2);
inline constexpr QColor x300 = Color(0xFFFDF8);
inline constexpr QColor tint = Color(0xEDE6DA, 0.12);
inline constexpr QColor on = Color(0x000000);
} // namespace Accent

// Status colours, also the activity tints of the same names.
namespace Semantic {
inline constexpr QColor sage = Color(0x6F8A62);
inline constexpr QColor amber = Color(0xB08641);
inline constexpr QColor oxblood = Color(0x8E3A37);
inline constexpr QColor slate = Color(0x64707E);
} // namespace Semantic

// The hairline outline (line width 1) of the notch and of the artwork square.
inline constexpr QColor contrastOutline = Color(0xEFEAE3, 0.08);

// Type styles, all of the system font family (see systemFont).
namespace Type_ {
const QFont& activityTitle();    // 13 semibold
const QFont& activitySubtitle(); // 11 regular
const QFont& widgetHeader();     // 11 semibold
const QFont& mediaTitle();       // 14 semibold
const QFont& mediaArtist();      // 12 regular
const QFont& timerDigits();      // 34 medium, rounded, monospaced digits
const QFont& numeric();          // 11 medium, monospaced
const QFont& settingsSection();  // 11 semibold
const QFont& settingsRow();      // 13 regular
const QFont& settingsFootnote(); // 11 regular
} // namespace Type_

// Corner radii.
namespace Radius {
inline constexpr double notchTop = 6;
inline constexpr double notchBottomClosed = 14;
inline constexpr double notchBottomOpen = 34;
inline constexpr double widgetCard = 12;
inline constexpr double button = 8;
inline constexpr double settingsCard = 16;
inline constexpr double trayThumbnail = 8;
} // namespace Radius

// Layout metrics.
namespace Metric {
inline constexpr double cellWidth = 54;              // one widget cell in the desk
inline constexpr double cellGap = 22;                // between two widgets
inline constexpr double activityHeight = 32;         // least height of a compact activity
inline constexpr double activityExpandedHeight = 48; // least height of an expanded activity
inline constexpr double peekHeight = 20;             // least height of a peek
inline constexpr double deskHeight = 176;            // the open desk's body unless a widget asks more
inline constexpr double maxDeskWidth = 1100;         // widest widget row
inline constexpr double hoverInset = 6;
} // namespace Metric

// On-screen-display speeds, in this order. The settings have an enumeration of the
// same names; convert by name (toRaw, fromRaw).
enum class HUDSpeed { smooth, fast, instant };

// The colour a named tint draws a leading symbol in.
QColor tintColor(TintName tint);

namespace Motion {
// Every change of the notch state whose new state is the open desk.
inline constexpr MotionSpec open = MotionSpec::spring(0.42, 0.78);
// Every other change of the notch state.
inline constexpr MotionSpec close = MotionSpec::spring(0.34, 0.86);
inline constexpr MotionSpec activityIn = MotionSpec::spring(0.36, 0.72);
inline constexpr MotionSpec activityOut = MotionSpec::spring(0.28, 0.90);
inline constexpr MotionSpec morph = MotionSpec::spring(0.32, 0.85);
// Hover-driven changes.
inline constexpr MotionSpec hover = MotionSpec::spring(0.25, 0.85);
// What replaces any motion while the desktop asks for reduced motion.
inline constexpr MotionSpec reduced = MotionSpec::easeInOut(0.2);

MotionSpec hud(HUDSpeed speed);

// `motion` itself, or the short ease-in-out while the desktop's reduce-motion
// preference is on. The preference is looked at on every call (from a cache that the
// settings portal keeps current), so a change applies at the next state change.
MotionSpec respectingReduceMotion(const MotionSpec& motion);
// The same rule with the preference given.
constexpr MotionSpec respectingReduceMotion(const MotionSpec& motion, bool reduceMotion) {
    return reduceMotion ? reduced : motion;
}
// The motion of a change of the notch state: `open` into the open desk, `close` into
// anything else, passed through respectingReduceMotion.
MotionSpec forStateChange(const NotchState& newState);
} // namespace Motion

} // namespace vesk::Vesk

template <> struct vesk::RawEnumTable<vesk::Vesk::HUDSpeed> {
    static constexpr std::array<std::pair<vesk::Vesk::HUDSpeed, std::string_view>, 3> entries{{
        {vesk::Vesk::HUDSpeed::smooth, "smooth"},
        {vesk::Vesk::HUDSpeed::fast, "fast"},
        {vesk::Vesk::HUDSpeed::instant, "instant"},
    }};
};
