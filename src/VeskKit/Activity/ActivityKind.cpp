#include "VeskKit/Activity/ActivityKind.h"

namespace vesk {

namespace {

struct KindInfo {
    const char* displayName;
    const char* symbol;
};

// Indexed by the enumeration's value, in declaration order.
constexpr std::array<KindInfo, 15> kindInfo{{
    {"Sound", "speaker.wave.2.fill"},
    {"Display", "sun.max.fill"},
    {"Keyboard Backlight", "keyboard.fill"},
    {"Now Playing", "music.note"},
    {"Battery", "bolt.fill"},
    {"Connectivity", "airpods.gen3"},
    {"Focus", "moon.fill"},
    {"Calendar", "calendar"},
    {"File Tray", "tray.fill"},
    {"Timer Ended", "timer"},
    {"New Update", "arrow.down.circle"},
    {"Download", "arrow.down.doc"},
    {"Screenshot", "camera.viewfinder"},
    {"Weather", "cloud.sun.fill"},
    {"Idle & Lock", "lock.fill"},
}};

} // namespace

QString displayName(ActivityKind kind) {
    return QString::fromUtf8(kindInfo[std::size_t(kind)].displayName);
}

QString symbol(ActivityKind kind) {
    return QString::fromUtf8(kindInfo[std::size_t(kind)].symbol);
}

} // namespace vesk
