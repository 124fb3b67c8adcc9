#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <QColor>
#include <QList>
#include <QString>

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// The settings window's panes, in sidebar order. The raw value is the case name; the
// Widgets pane's is "desk".
enum class SettingsPane {
    general,
    battery,
    connectivity,
    focus,
    display,
    sound,
    nowPlaying,
    calendar,
    fileTray,
    idleLock,
    desk,
    shortcuts,
    quickApps,
    clipboard,
    about
};

template <> struct RawEnumTable<SettingsPane> {
    static constexpr std::array<std::pair<SettingsPane, std::string_view>, 15> entries{{
        {SettingsPane::general, "general"},
        {SettingsPane::battery, "battery"},
        {SettingsPane::connectivity, "connectivity"},
        {SettingsPane::focus, "focus"},
        {SettingsPane::display, "display"},
        {SettingsPane::sound, "sound"},
        {SettingsPane::nowPlaying, "nowPlaying"},
        {SettingsPane::calendar, "calendar"},
        {SettingsPane::fileTray, "fileTray"},
        {SettingsPane::idleLock, "idleLock"},
        {SettingsPane::desk, "desk"},
        {SettingsPane::shortcuts, "shortcuts"},
        {SettingsPane::quickApps, "quickApps"},
        {SettingsPane::clipboard, "clipboard"},
        {SettingsPane::about, "about"},
    }};
};

// What a pane looks like in the sidebar and the header.
struct SettingsPaneLook {
    QString title;
    QString blurb;
    QString symbol;
    QColor tileTop;
    QColor tileBottom;
};

const SettingsPaneLook& look(SettingsPane pane);

// One sidebar section: its heading (none for the first) and its panes.
struct SettingsSection {
    QString heading;
    QList<SettingsPane> panes;
};

namespace settingsSections {
QList<SettingsPane> notifications();
QList<SettingsPane> liveActivities();
QList<SettingsPane> deskSection();
QList<SettingsPane> app();
// The five sections top to bottom: General alone, then the four lists above.
const QList<SettingsSection>& all();
} // namespace settingsSections

} // namespace vesk
