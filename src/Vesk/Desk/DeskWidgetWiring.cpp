#include "Vesk/Desk/DeskWidgetWiring.h"

#include "Vesk/Desk/Widgets/AudioDeviceWidget.h"
#include "Vesk/Desk/Widgets/CalendarWidget.h"
#include "Vesk/Desk/Widgets/ClipboardWidget.h"
#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "Vesk/Desk/Widgets/MediaWidget.h"
#include "Vesk/Desk/Widgets/MirrorWidget.h"
#include "Vesk/Desk/Widgets/NotesWidget.h"
#include "Vesk/Desk/Widgets/QuickAppsWidget.h"
#include "Vesk/Desk/Widgets/ShortcutsWidget.h"
#include "Vesk/Desk/Widgets/TimerWidget.h"
#include "Vesk/Desk/Widgets/TodoWidget.h"
#include "Vesk/Desk/Widgets/WeatherWidget.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskServices/Audio/AudioService.h"
#include "VeskServices/Clipboard/ClipboardService.h"
#include "VeskServices/QuickApps/QuickAppsService.h"
#include "VeskServices/Shortcuts/ShortcutsService.h"
#include "VeskServices/Timers/TimerStore.h"
#include "VeskServices/Weather/WeatherProvider.h"

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

namespace {

// Keeps a synced widget told why its store is out of reach and why its own last edits,
// those of `kind`, were not saved (empty: they were).
template <class Widget>
void followAvailability(NotchViewModel& model, Widget* widget, DeskRepository::Kind kind) {
    const QPointer<NotchViewModel> target(&model);
    DeskWidgetWiring::followService<DeskRepository>(
        model, widget, [target] { return target ? target->repository() : nullptr; },
        &DeskRepository::availabilityChanged,
        [widget, target, kind] {
            DeskRepository* repository = target ? target->repository() : nullptr;
            widget->setUnavailable(repository ? repository->unavailableReason() : QString());
            widget->setUnsaved(repository ? repository->unsavedReason(kind) : QString());
        });
}

} // namespace

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
DeskWidget* DeskWidgetWiring::calendar(const Context& context) {
    const QPointer<NotchViewModel> model(&context.model);
    const DeskEnvironment* environment = &context.environment;
    CalendarWidget::Actions actions{
        .onRequestAccess =
            [model] {
                if (model) model->requestCalendarAccess();
            },
        .onOpenSettings =
            [environment] {
                if (environment->openPrivacyPane)
                    environment->openPrivacyPane(QStringLiteral("Privacy_Calendars"));
            },
        .onOpen =
            [model](const CalendarEvent& event) {
                if (model) model->openCalendarEvent(event);
            },
    };
    auto* widget = new CalendarWidget(context.environment, std::move(actions), context.parent);
    const auto push = [widget, model] {
        CalendarService* service = model ? model->calendarService() : nullptr;
        widget->setAccess(service ? service->access() : CalendarAccess::notDetermined);
        widget->setDays(service ? service->grouped() : QList<CalendarService::Day>());
    };
    const std::function<CalendarService*()> current = [model] {
        return model ? model->calendarService() : nullptr;
    };
    followService(context.model, widget, current, &CalendarService::accessChanged, push);
    followService(context.model, widget, current, &CalendarService::eventsChanged, push);
    return widget;
}

// To-dos.
DeskWidget* DeskWidgetWiring::todos(const Context& context) {
    const QPointer<NotchViewModel> model(&context.model);
    const auto edit = [model](const std::function<void(DeskRepository&)>& change) {
        if (DeskRepository* repository = model ? model->repository() : nullptr) change(*repository);
    };
    TodoWidget::Actions actions{
        .onAdd = [edit](const QString& text) { edit([&](DeskRepository& r) { r.addTodo(text); }); },
        .onToggle =
            [edit](const TodoSnapshot& item) { edit([&](DeskRepository& r) { r.toggleTodo(item.id); }); },
        .onFavorite =
            [edit](const TodoSnapshot& item) { edit([&](DeskRepository& r) { r.favoriteTodo(item.id); }); },
        .onDelete =
            [edit](const TodoSnapshot& item) { edit([&](DeskRepository& r) { r.deleteTodo(item.id); }); },
    };
    auto* widget = new TodoWidget(context.environment, std::move(actions), context.parent);
    followService<DeskRepository>(
        context.model, widget, [model] { return model ? model->repository() : nullptr; },
        &DeskRepository::todosChanged,
        [widget, model] {
            DeskRepository* repository = model ? model->repository() : nullptr;
            widget->setItems(repository ? repository->todos() : QList<TodoSnapshot>());
        });
    followAvailability(context.model, widget, DeskRepository::Kind::todos);
    return widget;
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
DeskWidget* DeskWidgetWiring::notes(const Context& context) {
    const QPointer<NotchViewModel> model(&context.model);
    NotesWidget::Actions actions{
        .save =
            [model](const QString& text) {
                if (DeskRepository* repository = model ? model->repository() : nullptr)
                    repository->saveNote(text);
            },
        // The shown text is not saved again: it may be another computer's or copy's, which
        // becomes this computer's revision only when the user edits it.
        .onCommit =
            [model] {
                if (DeskRepository* repository = model ? model->repository() : nullptr)
                    repository->saveUnsaved();
            },
    };
    auto* widget = new NotesWidget(context.environment, std::move(actions), context.parent);
    followService<DeskRepository>(
        context.model, widget, [model] { return model ? model->repository() : nullptr; },
        &DeskRepository::noteTextChanged,
        [widget, model] {
            DeskRepository* repository = model ? model->repository() : nullptr;
            widget->setText(repository ? repository->noteText() : QString());
        });
    followAvailability(context.model, widget, DeskRepository::Kind::note);
    return widget;
}

// Shortcuts.
DeskWidget* DeskWidgetWiring::shortcuts(const Context& context) {
    const QPointer<NotchViewModel> model(&context.model);
    ShortcutsWidget::Actions actions{
        .onRun =
            [model](const ShortcutSnapshot& item) {
                ShortcutsService* service = model ? model->shortcutsService() : nullptr;
                if (!service) return;
                service->run(ShortcutEntry{.id = item.id,
                                           .shortcutName = item.shortcutName,
                                           .customName = item.customName,
                                           .symbol = item.symbol,
                                           .textInput = item.textInput});
            },
        .onConfigure = [] { openSettings(notchNotifications::veskOpenShortcuts); },
    };
    auto* widget = new ShortcutsWidget(context.environment, std::move(actions), context.parent);
    followService<DeskRepository>(
        context.model, widget, [model] { return model ? model->repository() : nullptr; },
        &DeskRepository::shortcutsChanged,
        [widget, model] {
            DeskRepository* repository = model ? model->repository() : nullptr;
            widget->setItems(repository ? repository->shortcuts() : QList<ShortcutSnapshot>());
        });
    followAvailability(context.model, widget, DeskRepository::Kind::shortcuts);
    return widget;
}

// Mirror: its own camera access and controller.
DeskWidget* DeskWidgetWiring::mirror(const Context& context) {
    return new MirrorWidget(context.environment, nullptr, nullptr, context.parent);
}

// Quick apps. Without a service: no icons, nothing missing or running, no launch.
DeskWidget* DeskWidgetWiring::quickApps(const Context& context) {
    const QPointer<NotchViewModel> model(&context.model);
    const auto service = [model]() -> QuickAppsService* {
        return model ? model->quickAppsService() : nullptr;
    };
    QuickAppsWidget::Actions actions{
        .icon = [service](const QuickApp& app) -> std::optional<QIcon> {
            QuickAppsService* s = service();
            return s ? s->icon(app) : std::nullopt;
        },
        .isMissing = [service](const QuickApp& app) { return service() && service()->isMissing(app); },
        .isRunning = [service](const QuickApp& app) { return service() && service()->isRunning(app); },
        .onLaunch =
            [service](const QuickApp& app) {
                if (QuickAppsService* s = service()) s->launch(app);
            },
        .onConfigure = [] { openSettings(notchNotifications::veskOpenQuickApps); }};
    auto* widget = new QuickAppsWidget(context.environment, std::move(actions), context.parent);
    pushOn(
        context.model, widget,
        [widget, model] { widget->setApps(model ? model->quickApps() : QList<QuickApp>()); },
        &NotchViewModel::quickAppsChanged);
    return widget;
}

// Weather. Without a provider the slot stays empty.
DeskWidget* DeskWidgetWiring::weather(const Context& context) {
    WeatherProvider* provider = context.model.weatherProvider();
    if (!provider) return nullptr;
    return new WeatherWidget(context.environment, *provider, context.parent);
}

// Clipboard.
DeskWidget* DeskWidgetWiring::clipboard(const Context& context) {
    const QPointer<NotchViewModel> model(&context.model);
    ClipboardWidget::Actions actions{
        .onRestore =
            [model](const Clip& clip, std::function<void(bool)> done) {
                ClipboardService* service = model ? model->clipboardService() : nullptr;
                if (!service) {
                    done(false);
                    return;
                }
                service->restore(clip, std::move(done));
            },
        .onRemove =
            [model](const Clip& clip) {
                if (!model) return;
                // The service tells every display; without one only this list changes.
                if (ClipboardService* service = model->clipboardService()) {
                    service->remove(clip);
                    return;
                }
                QList<Clip> clips = model->clips();
                clips.removeIf([&clip](const Clip& c) { return c.id == clip.id; });
                model->setClips(clips);
            },
        .onClear =
            [model] {
                if (!model) return;
                if (ClipboardService* service = model->clipboardService()) service->clear();
                model->setClips({});
            },
    };
    auto* widget = new ClipboardWidget(context.environment, std::move(actions), context.parent);
    pushOn(
        context.model, widget, [widget, model] { widget->setClips(model ? model->clips() : QList<Clip>()); },
        &NotchViewModel::clipsChanged);
    return widget;
}

// Sound output. The list is read again after every choice, whatever setting it answered.
DeskWidget* DeskWidgetWiring::audioDevice(const Context& context) {
    const QPointer<NotchViewModel> model(&context.model);
    auto* widget = new AudioDeviceWidget(
        context.environment,
        [model](const AudioOutputDevice& device) {
            AudioService::setDefaultOutput(device.id);
            if (model) model->refreshAudioDevices();
        },
        context.parent);
    pushOn(
        context.model, widget,
        [widget, model] { widget->setDevices(model ? model->audioDevices() : QList<AudioOutputDevice>()); },
        &NotchViewModel::audioDevicesChanged);
    return widget;
}

} // namespace vesk
