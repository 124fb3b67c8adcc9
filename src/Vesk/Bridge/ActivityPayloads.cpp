#include "Vesk/Bridge/ActivityPayloads.h"

#include "VeskKit/Settings/SettingsStore.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace vesk::payloads {

namespace {

ActivityPayload make(ActivityKind kind, ActivityPriority priority, QString dedupeKey, ActivityGlyph leading,
                     std::optional<QString> title, std::optional<QString> subtitle, ActivityTrailing trailing,
                     double duration, Date now,
                     std::optional<ActivityInteraction> interaction = std::nullopt) {
    return ActivityPayload{
        .id = QUuid::createUuid(),
        .kind = kind,
        .priority = priority,
        .dedupeKey = std::move(dedupeKey),
        .leading = std::move(leading),
        .title = std::move(title),
        .subtitle = std::move(subtitle),
        .trailing = std::move(trailing),
        .duration = duration,
        .interaction = std::move(interaction),
        .createdAt = now,
    };
}

// The level readouts show a bar, or the number when the user asked for it.
ActivityTrailing level(double value, bool showPercentage) {
    return showPercentage ? ActivityTrailing::percent(value) : ActivityTrailing::bar(value);
}

} // namespace

std::optional<QString> batterySubtitle(std::optional<double> timeRemaining) {
    if (!timeRemaining || !std::isfinite(*timeRemaining)) return std::nullopt;
    const qint64 total = static_cast<qint64>(std::trunc(*timeRemaining / 60));
    if (total >= 60) return QStringLiteral("%1 hr %2 min remaining").arg(total / 60).arg(total % 60);
    return QStringLiteral("%1 min remaining").arg(total);
}

QString calendarSubtitle(double secondsUntilStart) {
    const double minutes = std::isfinite(secondsUntilStart) ? std::trunc(secondsUntilStart / 60) : 0;
    if (minutes > 0) return QStringLiteral("in %1 min").arg(static_cast<qint64>(minutes));
    return QStringLiteral("Starting now");
}

QString keepAwakeSubtitle(std::optional<Date> until) {
    if (!until) return QStringLiteral("Until you turn it off");
    return QStringLiteral("Until ") +
           QLocale().toString(until->toDateTime().toLocalTime(), QStringLiteral("HH:mm"));
}

std::optional<ActivityPayload> sound(const AudioState& state, const SettingsStore& settings, Date now) {
    if (!settings.soundEnabled()) return std::nullopt;
    const QString glyph = state.isMuted ? QStringLiteral("speaker.slash.fill") : symbol(state.transport);
    const QString title = state.deviceName.isEmpty() ? QStringLiteral("Volume") : state.deviceName;
    return make(ActivityKind::sound, ActivityPriority::interrupt, QStringLiteral("sound"),
                ActivityGlyph::symbol(glyph),
                settings.soundHideLabel() ? std::nullopt : std::optional<QString>(title), std::nullopt,
                level(state.isMuted ? 0 : state.volume, settings.soundShowPercentage()),
                settings.soundDuration(), now);
}

std::optional<ActivityPayload> display(double value, const SettingsStore& settings, Date now) {
    if (!settings.displayEnabled()) return std::nullopt;
    return make(
        ActivityKind::display, ActivityPriority::interrupt, QStringLiteral("display"),
        ActivityGlyph::symbol(value > 0.5 ? QStringLiteral("sun.max.fill") : QStringLiteral("sun.min.fill")),
        QStringLiteral("Built-in Display"), std::nullopt, level(value, settings.displayShowPercentage()),
        settings.displayDuration(), now);
}

ActivityPayload keyboardBacklight(double value, Date now) {
    return make(ActivityKind::keyboardBacklight, ActivityPriority::interrupt, QStringLiteral("kbBacklight"),
                ActivityGlyph::symbol(QStringLiteral("keyboard.fill")), QStringLiteral("Keyboard Brightness"),
                std::nullopt, ActivityTrailing::bar(value), 1.5, now);
}

std::optional<ActivityPayload> battery(const BatteryEvent& event, std::optional<double> timeRemaining,
                                       const SettingsStore& settings, Date now) {
    if (!settings.batteryEnabled()) return std::nullopt;
    // The charge reads as the desktop's own battery readout prints UPower's fractional
    // percentage: the whole percent below it (57.9 % reads 57 %), so a battery short of
    // full never reads 100 %. The pill rounds what it is given, and a whole percent stays.
    const auto percent = [&](double value) {
        if (settings.batteryHidePercentage()) return ActivityTrailing::none();
        return ActivityTrailing::percent(std::trunc(value * 100 + 1e-9) / 100);
    };
    switch (event.kind()) {
    case BatteryEvent::Kind::pluggedIn:
        return make(ActivityKind::battery, ActivityPriority::queued, QStringLiteral("battery-power"),
                    ActivityGlyph::symbolTinted(QStringLiteral("bolt.fill"), TintName::sage),
                    QStringLiteral("Charging"), batterySubtitle(timeRemaining), percent(event.percentage()),
                    settings.batteryDuration(), now);
    case BatteryEvent::Kind::unplugged:
        return make(ActivityKind::battery, ActivityPriority::queued, QStringLiteral("battery-power"),
                    ActivityGlyph::symbol(QStringLiteral("battery.50")), QStringLiteral("On battery"),
                    batterySubtitle(timeRemaining), percent(event.percentage()), settings.batteryDuration(),
                    now);
    case BatteryEvent::Kind::lowBattery:
        if (!settings.batteryWarnLow()) return std::nullopt;
        return make(ActivityKind::battery, ActivityPriority::interrupt, QStringLiteral("battery-low"),
                    ActivityGlyph::symbolTinted(QStringLiteral("battery.25"), TintName::oxblood),
                    QStringLiteral("Low battery"), batterySubtitle(timeRemaining),
                    percent(event.percentage()), 6, now);
    case BatteryEvent::Kind::lowPowerMode:
        if (!settings.batteryNotifyLowPowerMode()) return std::nullopt;
        return make(ActivityKind::battery, ActivityPriority::queued, QStringLiteral("battery-lpm"),
                    ActivityGlyph::symbolTinted(QStringLiteral("bolt.badge.a.fill"), TintName::amber),
                    event.isOn() ? QStringLiteral("Low Power Mode on") : QStringLiteral("Low Power Mode off"),
                    std::nullopt, ActivityTrailing::none(), 4, now);
    case BatteryEvent::Kind::charged:
        return make(ActivityKind::battery, ActivityPriority::queued, QStringLiteral("battery-full"),
                    ActivityGlyph::symbolTinted(QStringLiteral("battery.100.bolt"), TintName::sage),
                    QStringLiteral("Fully charged"), std::nullopt, percent(1.0), settings.batteryDuration(),
                    now);
    }
    return std::nullopt;
}

ActivityPayload nowPlaying(const NowPlayingState& state, ActivityPriority priority, double duration,
                           Date now) {
    return make(ActivityKind::nowPlaying, priority, QStringLiteral("nowPlaying-") + state.itemKey(),
                state.artwork ? ActivityGlyph::artwork(state.artwork)
                              : ActivityGlyph::symbol(QStringLiteral("music.note")),
                state.title, state.artist, ActivityTrailing::waveform(state.isPlaying), duration, now,
                ActivityInteraction::openDesk(DeskTab::desk));
}

std::optional<ActivityPayload> focus(const FocusModeState& state, const SettingsStore& settings, Date now) {
    if (!settings.focusEnabled()) return std::nullopt;
    return make(ActivityKind::focus, ActivityPriority::queued, QStringLiteral("focus"),
                ActivityGlyph::symbolTinted(state.symbol, TintName::slate),
                settings.focusHideLabel() ? std::nullopt : std::optional<QString>(state.displayName()),
                state.isActive ? QStringLiteral("On") : QStringLiteral("Off"), ActivityTrailing::none(),
                settings.focusDuration(), now);
}

std::optional<ActivityPayload> bluetooth(const BluetoothEvent& event, const SettingsStore& settings,
                                         Date now) {
    if (!settings.connectivityEnabled()) return std::nullopt;
    const BluetoothDevice& device = event.device();
    switch (event.kind()) {
    case BluetoothEvent::Kind::connected: {
        const std::optional<double> lowest = device.lowestBattery();
        return make(ActivityKind::connectivity, ActivityPriority::queued,
                    QStringLiteral("bt-") + device.address, ActivityGlyph::symbol(device.symbol), device.name,
                    QStringLiteral("Connected"),
                    lowest ? ActivityTrailing::percent(*lowest) : ActivityTrailing::none(),
                    settings.connectivityDuration(), now);
    }
    case BluetoothEvent::Kind::disconnected:
        return make(ActivityKind::connectivity, ActivityPriority::queued,
                    QStringLiteral("bt-") + device.address, ActivityGlyph::symbol(device.symbol), device.name,
                    QStringLiteral("Disconnected"), ActivityTrailing::none(), 4, now);
    case BluetoothEvent::Kind::lowBattery:
        if (!settings.connectivityWarnLow()) return std::nullopt;
        return make(ActivityKind::connectivity, ActivityPriority::interrupt,
                    QStringLiteral("bt-low-") + device.address,
                    ActivityGlyph::symbolTinted(device.symbol, TintName::oxblood),
                    device.name + QStringLiteral(" battery low"), std::nullopt,
                    ActivityTrailing::percent(event.level()), 6, now);
    }
    return std::nullopt;
}

ActivityPayload unlocked(Date now) {
    return make(ActivityKind::idleLock, ActivityPriority::queued, QStringLiteral("unlocked"),
                ActivityGlyph::symbolTinted(QStringLiteral("lock.open.fill"), TintName::sage),
                QStringLiteral("Welcome back"), std::nullopt, ActivityTrailing::none(), 2.5, now);
}

ActivityPayload calendar(const QString& eventId, const QString& title, double secondsUntilStart, Date now) {
    return make(ActivityKind::calendar, ActivityPriority::queued, QStringLiteral("calendar-") + eventId,
                ActivityGlyph::symbolTinted(QStringLiteral("calendar"), TintName::sage), title,
                calendarSubtitle(secondsUntilStart), ActivityTrailing::none(), 6, now,
                ActivityInteraction::openDesk(DeskTab::desk));
}

ActivityPayload keepAwake(bool isOn, std::optional<Date> until, Date now) {
    if (isOn)
        return make(ActivityKind::idleLock, ActivityPriority::interrupt, QStringLiteral("keepAwake"),
                    ActivityGlyph::symbolTinted(QStringLiteral("cup.and.saucer.fill"), TintName::amber),
                    QStringLiteral("Staying awake"), keepAwakeSubtitle(until), ActivityTrailing::none(), 2,
                    now);
    return make(ActivityKind::idleLock, ActivityPriority::interrupt, QStringLiteral("keepAwake"),
                ActivityGlyph::symbolTinted(QStringLiteral("moon.zzz.fill"), TintName::slate),
                QStringLiteral("Sleep allowed"), std::nullopt, ActivityTrailing::none(), 2, now);
}

} // namespace vesk::payloads
