#include "Vesk/Desk/DeskWidgetWiring.h"

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "Vesk/Desk/Widgets/MediaWidget.h"
#include "Vesk/Desk/Widgets/TimerWidget.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskServices/Timers/TimerStore.h"

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
DeskWidget* DeskWidgetWiring::media(const Context& context) {
    const QPointer<NotchViewModel> model(&context.model);
    // Dropped while the shell has set no handler.
    const auto send = [model](const MediaCommand& command) {
        if (model && model->onMediaCommand()) model->onMediaCommand()(command);
    };
    auto* widget = new MediaWidget(context.environment, send, context.parent);
    pushOn(
        context.model, widget,
        [widget, model] { widget->setState(model ? model->nowPlaying() : NowPlayingState()); },
        &NotchViewModel::nowPlayingChanged);
    return widget;
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
DeskWidget* DeskWidgetWiring::timer(const Context& context) {
    const QPointer<NotchViewModel> model(&context.model);
    const DeskEnvironment* environment = &context.environment;
    const auto edit = [model](const std::function<void(TimerStore&)>& change) {
        if (!model) return;
        refreshAfterEdit(
            model->timerStore(), change, [](TimerStore& store) { return store.timers(); },
            [&](const QList<VeskTimer>& timers) { model->setTimers(timers); });
    };
    TimerWidget::Actions actions{
        .onAdd =
            [model](double seconds) {
                if (model) model->addTimer(seconds);
            },
        .onToggle =
            [edit, environment](const VeskTimer& timer) {
                edit([&](TimerStore& store) { store.toggle(timer, environment->clockSource().now()); });
            },
        .onRemove = [edit](const VeskTimer& timer) { edit([&](TimerStore& store) { store.remove(timer); }); },
    };
    auto* widget = new TimerWidget(context.environment, std::move(actions), context.parent);
    pushOn(
        context.model, widget,
        [widget, model] { widget->setTimers(model ? model->timers() : QList<VeskTimer>()); },
        &NotchViewModel::timersChanged);
    return widget;
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
