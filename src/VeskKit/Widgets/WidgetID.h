#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <QString>

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// The desk widgets. Declaration order is the order in which missing widgets are
// appended to a user's order; the raw value (also the `id`) is stored in settings.
enum class WidgetID {
    media,
    calendar,
    todos,
    timer,
    notes,
    shortcuts,
    mirror,
    quickApps,
    weather,
    clipboard,
    audioDevice,
};

template <> struct RawEnumTable<WidgetID> {
    static constexpr std::array<std::pair<WidgetID, std::string_view>, 11> entries{{
        {WidgetID::media, "media"},
        {WidgetID::calendar, "calendar"},
        {WidgetID::todos, "todos"},
        {WidgetID::timer, "timer"},
        {WidgetID::notes, "notes"},
        {WidgetID::shortcuts, "shortcuts"},
        {WidgetID::mirror, "mirror"},
        {WidgetID::quickApps, "quickApps"},
        {WidgetID::weather, "weather"},
        {WidgetID::clipboard, "clipboard"},
        {WidgetID::audioDevice, "audioDevice"},
    }};
};

// The catalogue entry of one widget: label, symbol and size limits in cells.
struct WidgetInfo {
    const char* displayName;
    const char* symbol;
    int defaultCells;
    int minCells;
    int maxCells;
    double preferredHeight; // points
};

inline constexpr std::array<WidgetInfo, 11> widgetCatalogue{{
    {"Media Player", "music.note", 5, 4, 8, 146},
    {"Calendar", "calendar", 5, 3, 8, 146},
    {"To-dos", "checklist", 4, 3, 8, 146},
    {"Timer", "timer", 4, 2, 8, 146},
    {"Notes", "note.text", 5, 3, 8, 146},
    {"Shortcuts", "sparkles", 4, 2, 8, 146},
    {"Mirror", "person.crop.circle", 2, 2, 8, 120},
    {"Quick Apps", "square.grid.2x2", 4, 2, 8, 140},
    {"Weather", "cloud.sun", 3, 2, 8, 120},
    {"Clipboard", "doc.on.clipboard", 5, 3, 8, 146},
    {"Sound Output", "speaker.wave.2", 4, 2, 8, 140},
}};

constexpr const WidgetInfo& info(WidgetID widget) {
    return widgetCatalogue[std::size_t(widget)];
}

inline QString id(WidgetID widget) {
    return toRaw(widget);
}
inline QString displayName(WidgetID widget) {
    return QString::fromUtf8(info(widget).displayName);
}
// The system symbol name drawn for the widget.
inline QString symbol(WidgetID widget) {
    return QString::fromUtf8(info(widget).symbol);
}
constexpr int defaultCells(WidgetID widget) {
    return info(widget).defaultCells;
}
constexpr int minCells(WidgetID widget) {
    return info(widget).minCells;
}
constexpr int maxCells(WidgetID widget) {
    return info(widget).maxCells;
}
constexpr double preferredHeight(WidgetID widget) {
    return info(widget).preferredHeight;
}

} // namespace vesk
