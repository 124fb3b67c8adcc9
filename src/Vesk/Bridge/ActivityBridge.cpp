#include "Vesk/Bridge/ActivityBridge.h"

#include "Vesk/Bridge/ActivityPayloads.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Sound/CanberraSoundPlayer.h"
#include "VeskServices/NowPlaying/MediaRemoteSource.h"

#include <QCoreApplication>

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

// The shortest text that reads back as the same double, whole numbers with ".0".
QString decimal(double value) {
    QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        !text.contains(QLatin1Char('n')))
        text += QStringLiteral(".0");
    return text;
}

// A day count from its floating-point setting: truncated and held to the range the
// settings offer, since a hand-edited value may be anything (NaN reads as the default).
int calendarDays(double stored, double lowest) {
    constexpr double highest = 30, fallback = 7;
    if (std::isnan(stored)) return int(fallback);
    return int(std::clamp(std::trunc(stored), lowest, highest));
}

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

ActivityBridge::Services ActivityBridge::Services::system() {
    Services services;
    services.audio = std::make_unique<AudioService>();
    services.battery = std::make_unique<BatteryService>();
    services.brightness = std::make_unique<BrightnessService>();
    services.keyboardBacklight = std::make_unique<KeyboardBacklightService>();
    services.eventTap = std::make_unique<EventTapService>();
    services.focus = std::make_unique<FocusService>();
    services.bluetooth = std::make_unique<BluetoothService>();
    services.calendar = std::make_unique<CalendarService>(Date::now);
    services.idle = std::make_unique<IdleService>();
    services.sounds = std::make_unique<CanberraSoundPlayer>();
    if (std::unique_ptr<MediaRemoteSource> source = MediaRemoteSource::create(resourcesDirectory())) {
        const MediaRemoteSource* adapter = source.get();
        services.mediaSelfTest = [adapter](double timeout) { return adapter->selfTest(timeout); };
        services.media = std::move(source);
    }
    return services;
}

ActivityBridge::ActivityBridge(ActivityCoordinator& coordinator, SettingsStore& settings, Present present,
                               Services services, QObject* parent)
    : QObject(parent), m_coordinator(coordinator), m_settings(settings), m_present(std::move(present)),
      m_services(std::move(services)) {
    Q_ASSERT(m_services.audio && m_services.battery && m_services.brightness &&
             m_services.keyboardBacklight && m_services.eventTap && m_services.focus &&
             m_services.bluetooth && m_services.calendar && m_services.idle && m_services.sounds);
}

ActivityBridge::~ActivityBridge() {
    for (const TaskHandle& task : std::as_const(m_tasks))
        task.cancel();
    m_bluetoothStart.cancel();
}

QString ActivityBridge::resourcesDirectory() {
    return QCoreApplication::applicationDirPath();
}

void ActivityBridge::trace(const QString& message) {
    TraceLog::trace(message);
}

QStringList ActivityBridge::recentLogLines(int limit) {
    return TraceLog::recentLogLines(limit);
}

void ActivityBridge::start() {
    applyThresholds();
    m_settingsObserver =
        connect(&m_settings, &SettingsStore::revisionChanged, this, [this] { applyThresholds(); });

    audio().start();
    battery().start();
    focus().start();
    brightness().start();
    keyboardBacklight().start();
    trace(QStringLiteral("brightness source = ") + toRaw(brightness().source()) + QStringLiteral(", ") +
          QStringLiteral("kbBacklight = ") + boolText(keyboardBacklight().isAvailable()));

    connect(&brightness(), &BrightnessService::availabilityChanged, this, [this] { updateConsumableKeys(); });
    connect(&keyboardBacklight(), &KeyboardBacklightService::availabilityChanged, this,
            [this] { updateConsumableKeys(); });
    startEventTap();

    QPointer<ActivityBridge> self(this);
    idle().setOnLockEvent([self](ScreenLockEvent event) {
        Q_ASSERT(mainScheduler().isCurrent());
        if (self) self->handleLock(event);
    });
    idle().start();

    applyCalendarFilter();
    // Looks for an upcoming event once the first read is in; stop() cancels the look.
    const TaskHandle calendarStarted = TaskHandle::make();
    m_tasks.append(calendarStarted);
    calendar().start([self, calendarStarted] {
        if (self && !calendarStarted.isCancelled()) self->checkUpcomingEvent();
    });

    startMedia();
    consume(audio().states(), &ActivityBridge::handleAudio);
    consume(audio().settableChanges(), &ActivityBridge::handleAudioSettable);
    consume(battery().events(), &ActivityBridge::handleBattery);
    consume(focus().states(), &ActivityBridge::handleFocus);
    consume(brightness().states(), &ActivityBridge::handleBrightness);
    consume(keyboardBacklight().levels(), &ActivityBridge::handleBacklight);
    consume(bluetooth().events(), &ActivityBridge::handleBluetooth);

    connect(&bluetooth(), &BluetoothService::startedLate, this, [this] {
        trace(QStringLiteral("bluetooth start → started (daemon appeared)"));
        setBluetoothStatus(BluetoothStartResult::started);
    });
    startBluetoothWhenIdle();
}

void ActivityBridge::stop() {
    for (const TaskHandle& task : std::as_const(m_tasks))
        task.cancel();
    m_tasks.clear();
    m_bluetoothStart.cancel();
    disconnect(m_settingsObserver);

    if (media()) media()->stop();
    audio().stop();
    battery().stop();
    focus().stop();
    bluetooth().stop();
    calendar().stop();
    idle().stopKeepAwake();
    idle().stop();
}

void ActivityBridge::checkUpcomingEvent() {
    if (calendar().access() != CalendarAccess::granted) return;
    const std::optional<CalendarEvent> event = calendar().upcoming(m_settings.calendarLeadMinutes() * 60);
    if (!event || m_announcedEvents.contains(event->id)) return;
    // Recorded before offering, so a refused announcement is not tried again.
    m_announcedEvents.insert(event->id);
    offer(payloads::calendar(event->id, event->title, event->start - now(), now()));
}

void ActivityBridge::refreshCalendar() {
    const QPointer<ActivityBridge> self(this);
    calendar().refresh(true, [self] {
        if (self) self->checkUpcomingEvent();
    });
}

void ActivityBridge::applyCalendarFilter() {
    CalendarFilter filter;
    filter.visibleCalendars = m_settings.visibleCalendars();
    filter.daysBehind = calendarDays(m_settings.calendarDaysBehind(), 0);
    filter.daysAhead = calendarDays(m_settings.calendarDaysAhead(), 1);
    filter.showPastEventsToday = m_settings.showPastEventsToday();
    filter.showAllDayEvents = m_settings.showAllDayEvents();
    filter.showMultiDayEvents = m_settings.showMultiDayEvents();
    calendar().setFilter(filter);
}

void ActivityBridge::applyThresholds() {
    battery().setLowBatteryThreshold(m_settings.batteryLowThreshold() / 100);
    bluetooth().setLowBatteryThreshold(m_settings.connectivityLowThreshold() / 100);
}

void ActivityBridge::offer(const std::optional<ActivityPayload>& payload) {
    if (!payload) return;
    if (m_coordinator.submit(*payload) && m_present) m_present(*payload);
}

void ActivityBridge::handleAudio(const AudioState& state) {
    // Whether the volume can be set decides whether the tap may take the volume keys.
    updateConsumableKeys();
    if (!m_primed.contains(QStringLiteral("audio"))) {
        m_primed.insert(QStringLiteral("audio"));
        return;
    }
    offer(payloads::sound(state, m_settings, now()));
}

void ActivityBridge::handleAudioSettable(bool settable) {
    // A sound server leaving or coming back is not news: only the keys follow it.
    updateConsumableKeys();
    trace(QStringLiteral("audio volume settable = ") + boolText(settable));
}

void ActivityBridge::handleBattery(const BatteryEvent& event) {
    std::optional<double> timeRemaining;
    switch (event.kind()) {
    case BatteryEvent::Kind::pluggedIn:
    case BatteryEvent::Kind::unplugged:
    case BatteryEvent::Kind::lowBattery:
        timeRemaining = battery().currentState().timeRemaining;
        break;
    case BatteryEvent::Kind::lowPowerMode:
    case BatteryEvent::Kind::charged:
        break;
    }
    offer(payloads::battery(event, timeRemaining, m_settings, now()));
}

void ActivityBridge::handleFocus(const FocusModeState& state) {
    if (!m_primed.contains(QStringLiteral("focus"))) {
        m_primed.insert(QStringLiteral("focus"));
        m_coordinator.setFocusActive(state.isActive);
        return;
    }
    // The pill announcing the change must pass the Focus gate: turning on, it goes
    // before the gate closes; turning off, after the gate opens.
    const std::optional<ActivityPayload> payload = payloads::focus(state, m_settings, now());
    if (state.isActive) {
        offer(payload);
        m_coordinator.setFocusActive(true);
    } else {
        m_coordinator.setFocusActive(false);
        offer(payload);
    }
}

void ActivityBridge::handleBrightness(const BrightnessState& state) {
    if (!m_keyIntent.isRecent(KeyIntent::brightness, now())) return;
    trace(QStringLiteral("brightness event level=") + decimal(state.level));
    offer(payloads::display(state.level, m_settings, now()));
}

void ActivityBridge::handleBacklight(double level) {
    if (!m_keyIntent.isRecent(KeyIntent::illumination, now())) return;
    offer(payloads::keyboardBacklight(level, now()));
}

void ActivityBridge::handleBluetooth(const BluetoothEvent& event) {
    offer(payloads::bluetooth(event, m_settings, now()));
}

void ActivityBridge::handleLock(ScreenLockEvent event) {
    if (m_settings.lockSoundsEnabled())
        m_services.sounds->play(event == ScreenLockEvent::locked ? QStringLiteral("Tink")
                                                                 : QStringLiteral("Pop"));
    if (m_settings.showLockActivity() && event == ScreenLockEvent::unlocked) offer(payloads::unlocked(now()));
}

void ActivityBridge::toggleKeepAwake() {
    const KeepAwakeDuration duration = fromRaw<KeepAwakeDuration>(toRaw(m_settings.keepAwakeDuration()))
                                           .value_or(KeepAwakeDuration::indefinite);
    idle().toggleKeepAwake(duration);
    offer(payloads::keepAwake(idle().isKeepingAwake(), idle().keepAwakeUntil(), now()));
}

void ActivityBridge::startBluetoothWhenIdle() {
    if (!m_settings.activitiesEnabled()) return;
    if (qEnvironmentVariableIsSet("VESK_NO_BT")) {
        trace(QStringLiteral("bluetooth start skipped (VESK_NO_BT)"));
        return;
    }
    QPointer<ActivityBridge> self(this);
    m_bluetoothStart = onMainAfter(3.0, [self] {
        if (!self) return;
        const BluetoothStartResult result = self->bluetooth().start();
        // A refusal for want of a daemon denies nothing, as the diagnostics report says.
        trace(QStringLiteral("bluetooth start → ") +
              (self->bluetooth().isAbsent() ? QStringLiteral("unavailable (no Bluetooth service)")
                                            : toRaw(result)));
        self->setBluetoothStatus(result);
    });
}

void ActivityBridge::requestBluetoothPermission(std::function<void(bool granted)> answered) {
    QPointer<ActivityBridge> self(this);
    bluetooth().requestPermission([self, answered = std::move(answered)](bool granted) {
        if (!self) return;
        if (granted) self->setBluetoothStatus(self->bluetooth().start());
        if (answered) answered(granted);
    });
}

void ActivityBridge::setBluetoothStatus(BluetoothStartResult status) {
    if (status == m_bluetoothStatus) return;
    m_bluetoothStatus = status;
    Q_EMIT bluetoothStatusChanged(status);
}

} // namespace vesk
