#include "Vesk/Notch/NotchViewModel.h"

#include "Vesk/Notch/NotchViewModelFields.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/Workspace/UrlOpener.h"
#include "VeskServices/Audio/AudioService.h"
#include "VeskServices/Timers/TimerStore.h"

#include <QDir>
#include <QSet>

namespace vesk {

// ---- The desk's services, handed over by the window controller

TrayStore* NotchViewModel::trayStore() const {
    return d->trayStore;
}

PipelineRunner* NotchViewModel::pipelineRunner() const {
    return d->pipelineRunner;
}

void NotchViewModel::setPipelineRunner(PipelineRunner* runner) {
    if (d->pipelineRunner == runner) return;
    d->pipelineRunner = runner;
    Q_EMIT deskServicesChanged();
}

void NotchViewModel::setTrayStore(TrayStore* store) {
    if (d->trayStore == store) return;
    d->trayStore = store;
    Q_EMIT deskServicesChanged();
}

ShortcutsService* NotchViewModel::shortcutsService() const {
    return d->shortcutsService;
}

void NotchViewModel::setShortcutsService(ShortcutsService* service) {
    if (std::exchange(d->shortcutsService, service) != service) Q_EMIT deskServicesChanged();
}

QuickAppsService* NotchViewModel::quickAppsService() const {
    return d->quickAppsService;
}

void NotchViewModel::setQuickAppsService(QuickAppsService* service) {
    if (std::exchange(d->quickAppsService, service) != service) Q_EMIT deskServicesChanged();
}

DeskRepository* NotchViewModel::repository() const {
    return d->repository;
}

void NotchViewModel::setRepository(DeskRepository* repository) {
    if (d->repository == repository) return;
    d->repository = repository;
    Q_EMIT deskServicesChanged();
}

TimerStore* NotchViewModel::timerStore() const {
    return d->timerStore;
}

void NotchViewModel::setTimerStore(TimerStore* store) {
    if (d->timerStore == store) return;
    d->timerStore = store;
    Q_EMIT deskServicesChanged();
}

ClipboardService* NotchViewModel::clipboardService() const {
    return d->clipboardService;
}

void NotchViewModel::setClipboardService(ClipboardService* service) {
    if (d->clipboardService == service) return;
    d->clipboardService = service;
    Q_EMIT deskServicesChanged();
}

CalendarService* NotchViewModel::calendarService() const {
    return d->calendarService;
}

void NotchViewModel::setCalendarService(CalendarService* service) {
    if (d->calendarService == service) return;
    d->calendarService = service;
    Q_EMIT deskServicesChanged();
}

void NotchViewModel::setCalendarAccessHandlers(std::function<void()> openSettings,
                                               std::function<ActivationHolds::Hold()> holdRegular) {
    d->openCalendarSettings = std::move(openSettings);
    d->holdRegular = std::move(holdRegular);
}

WeatherProvider* NotchViewModel::weatherProvider() const {
    return d->weatherProvider;
}

void NotchViewModel::setWeatherProvider(WeatherProvider* provider) {
    if (d->weatherProvider == provider) return;
    d->weatherProvider = provider;
    Q_EMIT deskServicesChanged();
}

// ---- What the desk asks of them

void NotchViewModel::refreshAudioDevices() {
    setAudioDevices(d->environment.outputDevices ? d->environment.outputDevices()
                                                 : AudioService::outputDevices());
}

void NotchViewModel::addTimer(double seconds) {
    if (!d->timerStore) {
        setTimers({});
        return;
    }
    d->timerStore->add(seconds, QString(), true);
    setTimers(d->timerStore->timers());
}

void NotchViewModel::openCalendarEvent(const CalendarEvent& event) {
    const auto open = [this](const QUrl& url) {
        const bool opened = d->environment.openURL ? d->environment.openURL(url) : urlOpener::open(url);
        if (!opened) TraceLog::trace(QStringLiteral("could not open ") + url.toString());
    };

    // A meeting link comes from whoever sent the invitation: a local file is never
    // opened through it.
    if (d->settings.detectMeetingLinks() && event.meetingURL && !event.meetingURL->isLocalFile() &&
        !event.meetingURL->scheme().isEmpty()) {
        open(*event.meetingURL);
        return;
    }

    // The desktop has no address for an event: the calendar application is asked to show it.
    std::optional<CalendarItem> item = d->calendarService ? d->calendarService->item(event.id) : std::nullopt;
    if (!item) item = CalendarItem{event.id, event.calendarID, {}, {}};
    if (d->environment.showInCalendar)
        d->environment.showInCalendar(*item);
    else
        CalendarApp::open(*item);
}

void NotchViewModel::removeTrayItems(const QList<QUrl>& storedSources) {
    if (storedSources.isEmpty() || !d->trayStore) return;
    QSet<QString> paths;
    for (const QUrl& url : storedSources)
        paths.insert(QDir::cleanPath(url.isLocalFile() ? url.toLocalFile() : url.path()));
    d->trayStore->removeCopiesOf(paths);
    setTrayItems(d->trayStore->items());
}

void NotchViewModel::requestCalendarAccess() {
    CalendarService* service = d->calendarService;
    if (!service) return;
    if (service->access() != CalendarAccess::notDetermined) {
        if (d->openCalendarSettings) d->openCalendarSettings();
        return;
    }
    // Regular while access is asked, accessory again once the answer is in.
    auto hold =
        std::make_shared<ActivationHolds::Hold>(d->holdRegular ? d->holdRegular() : ActivationHolds::Hold());
    const QPointer<CalendarService> weak(service);
    service->start([weak, hold] {
        if (weak)
            TraceLog::trace(QStringLiteral("calendar access after request: ") + toRaw(weak->access()) +
                            QStringLiteral(" error=") +
                            weak->requestError().value_or(QStringLiteral("none")));
        hold->release();
    });
}

} // namespace vesk
