#include "Vesk/SettingsWindow/SettingsPane.h"

#include "VeskUI/Tokens/Color.h"

namespace vesk {

namespace {

SettingsPaneLook entry(const char* title, const char* blurb, const char* symbol, quint32 top,
                       quint32 bottom) {
    return {QString::fromUtf8(title), QString::fromUtf8(blurb), QString::fromUtf8(symbol), Color(top),
            Color(bottom)};
}

} // namespace

const SettingsPaneLook& look(SettingsPane pane) {
    static const std::array<SettingsPaneLook, 15> table{{
        entry("General", "Launch, behaviour, and how the notch carries itself.", "gearshape.fill", 0x8E8A84,
              0x66625C),
        entry("Battery", "Charging moments and low-battery warnings.", "bolt.fill", 0x53BE85, 0x2F9662),
        entry("Connectivity", "AirPods, keyboards, and their batteries.", "airpods.gen3", 0x54A2EC, 0x2F7CD2),
        entry("Focus", "See which Focus is on, at a glance.", "moon.fill", 0x8672E8, 0x5F4BCE),
        entry("Display", "The brightness pop-up, redrawn in the notch.", "sun.max.fill", 0xF2BB47, 0xD69A26),
        entry("Sound", "Volume, output devices, and the sound pop-up.", "speaker.wave.2.fill", 0xE86A80,
              0xCC4762),
        entry("Now Playing", "Artwork, controls, and what's playing.", "play.fill", 0xF08052, 0xD65F32),
        entry("Calendar", "Your next events, one glance up.", "calendar", 0xE85D5D, 0xC93F3F),
        entry("File Tray", "Drop files on the notch, carry them anywhere.", "tray.fill", 0x45B8A8, 0x28998A),
        entry("Idle & Lock", "Keep-awake, lock sounds, and idle scenes.", "lock.fill", 0x7C8BB0, 0x5A6A92),
        entry("Widgets", "Choose what lives in the drawer.", "square.grid.2x2.fill", 0xA273E8, 0x7E50CC),
        entry("Shortcuts", "Run your Shortcuts from the drawer.", "sparkles", 0xE8A83F, 0xC98A24),
        entry("Quick Apps", "One-click launchers, right under the notch.", "square.grid.2x2.fill", 0x4FB8DC,
              0x2E96BE),
        entry("Clipboard", "A short memory of what you copied.", "doc.on.clipboard.fill", 0x8FAE58, 0x6F8E3C),
        entry("About", "Version, updates, and credits.", "info.circle.fill", 0x8E8A84, 0x66625C),
    }};
    return table[std::size_t(pane)];
}

namespace settingsSections {

QList<SettingsPane> notifications() {
    return {SettingsPane::battery, SettingsPane::connectivity, SettingsPane::focus, SettingsPane::display,
            SettingsPane::sound};
}

QList<SettingsPane> liveActivities() {
    return {SettingsPane::nowPlaying, SettingsPane::calendar, SettingsPane::fileTray, SettingsPane::idleLock};
}

QList<SettingsPane> deskSection() {
    return {SettingsPane::desk, SettingsPane::shortcuts, SettingsPane::quickApps, SettingsPane::clipboard};
}

QList<SettingsPane> app() {
    return {SettingsPane::about};
}

const QList<SettingsSection>& all() {
    static const QList<SettingsSection> sections{
        {QString(), {SettingsPane::general}},
        {QStringLiteral("Notifications"), notifications()},
        {QStringLiteral("Live Activities"), liveActivities()},
        {QStringLiteral("Desk"), deskSection()},
        {QStringLiteral("VeskNotch"), app()},
    };
    return sections;
}

} // namespace settingsSections

} // namespace vesk
