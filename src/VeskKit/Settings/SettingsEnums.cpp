#include "VeskKit/Settings/SettingsEnums.h"

namespace vesk {

namespace {

// Each table is indexed by the enumeration's value, in declaration order.
template <std::size_t N> QString title(const std::array<const char*, N>& titles, auto value) {
    return QString::fromUtf8(titles[std::size_t(value)]);
}

constexpr std::array<const char*, 3> screenPolicyTitles{"Notched screens only", "Primary screen only",
                                                        "All screens"};
constexpr std::array<const char*, 4> barStyleTitles{"White", "Accent", "Glow", "Decibel"};
constexpr std::array<const char*, 3> hudSpeedTitles{"Smooth", "Fast", "Instant"};
constexpr std::array<const char*, 2> soundTrailingTitles{"Symbol", "Device name"};
constexpr std::array<const char*, 4> keepAwakeTitles{"Until I turn it off", "30 minutes", "1 hour",
                                                     "2 hours"};
constexpr std::array<const char*, 3> mediaBarStyleTitles{"Monochrome", "Artwork colour", "Gradient"};

} // namespace

QString displayName(ScreenPolicy policy) {
    return title(screenPolicyTitles, policy);
}
QString displayName(BarStyle style) {
    return title(barStyleTitles, style);
}
QString displayName(HUDSpeed speed) {
    return title(hudSpeedTitles, speed);
}
QString displayName(SoundTrailing trailing) {
    return title(soundTrailingTitles, trailing);
}
QString displayName(KeepAwakeDurationSetting duration) {
    return title(keepAwakeTitles, duration);
}
QString displayName(MediaBarStyle style) {
    return title(mediaBarStyleTitles, style);
}

} // namespace vesk
