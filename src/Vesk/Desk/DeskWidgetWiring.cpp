#include "Vesk/Desk/DeskWidgetWiring.h"

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "VeskKit/Foundation/NotificationCenter.h"

namespace vesk {

DeskWidget* DeskWidgetWiring::build(WidgetID id, const Context& context) {
    switch (id) {
    case WidgetID::media:
        return media(context);
    case WidgetID::calendar:
        return calendar(context);
    case WidgetID::todos:
        return todos(context);
    case WidgetID::timer:
        return timer(context);
    case WidgetID::notes:
        return notes(context);
    case WidgetID::shortcuts:
        return shortcuts(context);
    case WidgetID::mirror:
        return mirror(context);
    case WidgetID::quickApps:
        return quickApps(context);
    case WidgetID::weather:
        return weather(context);
    case WidgetID::clipboard:
        return clipboard(context);
    case WidgetID::audioDevice:
        return audioDevice(context);
    }
    return nullptr;
}

void DeskWidgetWiring::openSettings(const QString& paneNotification) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.post(notchNotifications::veskOpenSettings);
    if (!paneNotification.isEmpty()) center.post(paneNotification);
}

// ---- One function per widget. A widget not built yet leaves its slot empty.

// Media player.
DeskWidget* DeskWidgetWiring::media(const Context&) {
    return nullptr;
}

// Calendar.
DeskWidget* DeskWidgetWiring::calendar(const Context&) {
    return nullptr;
}

// To-dos.
DeskWidget* DeskWidgetWiring::todos(const Context&) {
    return nullptr;
}

// Timers.
DeskWidget* DeskWidgetWiring::timer(const Context&) {
    return nullptr;
}

// Notes.
DeskWidget* DeskWidgetWiring::notes(const Context&) {
    return nullptr;
}

// Shortcuts.
DeskWidget* DeskWidgetWiring::shortcuts(const Context&) {
    return nullptr;
}

// Mirror.
DeskWidget* DeskWidgetWiring::mirror(const Context&) {
    return nullptr;
}

// Quick apps.
DeskWidget* DeskWidgetWiring::quickApps(const Context&) {
    return nullptr;
}

// Weather.
DeskWidget* DeskWidgetWiring::weather(const Context&) {
    return nullptr;
}

// Clipboard.
DeskWidget* DeskWidgetWiring::clipboard(const Context&) {
    return nullptr;
}

// Sound output.
DeskWidget* DeskWidgetWiring::audioDevice(const Context&) {
    return nullptr;
}

} // namespace vesk
