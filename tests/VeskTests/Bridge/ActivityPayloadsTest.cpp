#include "Vesk/Bridge/ActivityPayloads.h"

#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <QDateTime>

using namespace vesk;

namespace {

const Date now{800000000.0};

struct Expected {
    const char* event;
    std::optional<ActivityPayload> payload;
    ActivityKind kind;
    ActivityPriority priority;
    QString dedupeKey;
    ActivityGlyph leading;
    std::optional<QString> title;
    std::optional<QString> subtitle;
    ActivityTrailing trailing;
    double duration;
    std::optional<ActivityInteraction> interaction;
};

AudioState output(double volume, bool muted, const char* name, AudioTransport transport) {
    AudioState state;
    state.volume = volume;
    state.isMuted = muted;
    state.deviceName = QString::fromUtf8(name);
    state.transport = transport;
    state.canSetVolume = true;
    return state;
}

BluetoothDevice headphones() {
    BluetoothDevice device;
    device.address = QStringLiteral("AA:BB:CC:DD:EE:FF");
    device.name = QStringLiteral("Studio Buds");
    device.batteryLeft = 0.4;
    device.batteryRight = 0.3;
    device.batteryCase = 0.1;
    device.symbol = QStringLiteral("headphones");
    return device;
}

} // namespace

// Every activity the bridge builds, with the settings at their defaults.
TEST(ActivityPayloadsTest, EachEventBuildsItsActivity) {
    auto defaults = UserDefaults::inMemory();
    const SettingsStore settings(*defaults);
    const auto sym = [](const char* name) { return ActivityGlyph::symbol(QString::fromLatin1(name)); };
    const auto tinted = [](const char* name, TintName tint) {
        return ActivityGlyph::symbolTinted(QString::fromLatin1(name), tint);
    };
    const QString remaining = QStringLiteral("1 hr 35 min remaining");
    const auto desk = ActivityInteraction::openDesk(DeskTab::desk);
    using K = ActivityKind;
    using P = ActivityPriority;
    using T = ActivityTrailing;

    FocusModeState focusOn{true, QStringLiteral("Work"), QStringLiteral("briefcase.fill")};
    FocusModeState focusOff{false, std::nullopt, QStringLiteral("moon.fill")};
    const QList<Expected> rows{
        {"sound", payloads::sound(output(0.6, false, "Speakers", AudioTransport::builtIn), settings, now),
         K::sound, P::interrupt, "sound", sym("speaker.wave.2.fill"), QStringLiteral("Speakers"),
         std::nullopt, T::bar(0.6), 1.5, std::nullopt},
        {"sound muted", payloads::sound(output(0.6, true, "Speakers", AudioTransport::usb), settings, now),
         K::sound, P::interrupt, "sound", sym("speaker.slash.fill"), QStringLiteral("Speakers"), std::nullopt,
         T::bar(0), 1.5, std::nullopt},
        {"sound unnamed", payloads::sound(output(0.6, false, "", AudioTransport::usb), settings, now),
         K::sound, P::interrupt, "sound", sym("hifispeaker.fill"), QStringLiteral("Volume"), std::nullopt,
         T::bar(0.6), 1.5, std::nullopt},
        {"brightness high", payloads::display(0.75, settings, now), K::display, P::interrupt, "display",
         sym("sun.max.fill"), QStringLiteral("Built-in Display"), std::nullopt, T::bar(0.75), 1.5,
         std::nullopt},
        {"brightness half", payloads::display(0.5, settings, now), K::display, P::interrupt, "display",
         sym("sun.min.fill"), QStringLiteral("Built-in Display"), std::nullopt, T::bar(0.5), 1.5,
         std::nullopt},
        {"backlight", payloads::keyboardBacklight(0.25, now), K::keyboardBacklight, P::interrupt,
         "kbBacklight", sym("keyboard.fill"), QStringLiteral("Keyboard Brightness"), std::nullopt,
         T::bar(0.25), 1.5, std::nullopt},
        {"plugged in", payloads::battery(BatteryEvent::pluggedIn(0.4), 5700, settings, now), K::battery,
         P::queued, "battery-power", tinted("bolt.fill", TintName::sage), QStringLiteral("Charging"),
         remaining, T::percent(0.4), 5, std::nullopt},
        {"unplugged, short of full", payloads::battery(BatteryEvent::unplugged(0.996), 5700, settings, now),
         K::battery, P::queued, "battery-power", sym("battery.50"), QStringLiteral("On battery"), remaining,
         T::percent(0.99), 5, std::nullopt},
        {"low battery", payloads::battery(BatteryEvent::lowBattery(0.2), std::nullopt, settings, now),
         K::battery, P::interrupt, "battery-low", tinted("battery.25", TintName::oxblood),
         QStringLiteral("Low battery"), std::nullopt, T::percent(0.2), 6, std::nullopt},
        {"low power on", payloads::battery(BatteryEvent::lowPowerMode(true), 5700, settings, now), K::battery,
         P::queued, "battery-lpm", tinted("bolt.badge.a.fill", TintName::amber),
         QStringLiteral("Low Power Mode on"), std::nullopt, T::none(), 4, std::nullopt},
        {"low power off", payloads::battery(BatteryEvent::lowPowerMode(false), 5700, settings, now),
         K::battery, P::queued, "battery-lpm", tinted("bolt.badge.a.fill", TintName::amber),
         QStringLiteral("Low Power Mode off"), std::nullopt, T::none(), 4, std::nullopt},
        {"charged", payloads::battery(BatteryEvent::charged(), 5700, settings, now), K::battery, P::queued,
         "battery-full", tinted("battery.100.bolt", TintName::sage), QStringLiteral("Fully charged"),
         std::nullopt, T::percent(1.0), 5, std::nullopt},
        {"focus on", payloads::focus(focusOn, settings, now), K::focus, P::queued, "focus",
         tinted("briefcase.fill", TintName::slate), QStringLiteral("Work"), QStringLiteral("On"), T::none(),
         5, std::nullopt},
        {"focus off", payloads::focus(focusOff, settings, now), K::focus, P::queued, "focus",
         tinted("moon.fill", TintName::slate), QStringLiteral("Focus"), QStringLiteral("Off"), T::none(), 5,
         std::nullopt},
        {"bt connected", payloads::bluetooth(BluetoothEvent::connected(headphones()), settings, now),
         K::connectivity, P::queued, "bt-AA:BB:CC:DD:EE:FF", sym("headphones"), QStringLiteral("Studio Buds"),
         QStringLiteral("Connected"), T::percent(0.3), 5, std::nullopt},
        {"bt connected, no level",
         payloads::bluetooth(BluetoothEvent::connected([] {
                                 BluetoothDevice d = headphones();
                                 d.batteryLeft = d.batteryRight = std::nullopt;
                                 return d;
                             }()),
                             settings, now),
         K::connectivity, P::queued, "bt-AA:BB:CC:DD:EE:FF", sym("headphones"), QStringLiteral("Studio Buds"),
         QStringLiteral("Connected"), T::none(), 5, std::nullopt},
        {"bt disconnected", payloads::bluetooth(BluetoothEvent::disconnected(headphones()), settings, now),
         K::connectivity, P::queued, "bt-AA:BB:CC:DD:EE:FF", sym("headphones"), QStringLiteral("Studio Buds"),
         QStringLiteral("Disconnected"), T::none(), 4, std::nullopt},
        {"bt low", payloads::bluetooth(BluetoothEvent::lowBattery(headphones(), 0.15), settings, now),
         K::connectivity, P::interrupt, "bt-low-AA:BB:CC:DD:EE:FF", tinted("headphones", TintName::oxblood),
         QStringLiteral("Studio Buds battery low"), std::nullopt, T::percent(0.15), 6, std::nullopt},
        {"unlocked", payloads::unlocked(now), K::idleLock, P::queued, "unlocked",
         tinted("lock.open.fill", TintName::sage), QStringLiteral("Welcome back"), std::nullopt, T::none(),
         2.5, std::nullopt},
        {"calendar", payloads::calendar(QStringLiteral("E1"), QStringLiteral("Stand-up"), 330, now),
         K::calendar, P::queued, "calendar-E1", tinted("calendar", TintName::sage),
         QStringLiteral("Stand-up"), QStringLiteral("in 5 min"), T::none(), 6, desk},
        {"keep-awake on", payloads::keepAwake(true, std::nullopt, now), K::idleLock, P::interrupt,
         "keepAwake", tinted("cup.and.saucer.fill", TintName::amber), QStringLiteral("Staying awake"),
         QStringLiteral("Until you turn it off"), T::none(), 2, std::nullopt},
        {"keep-awake off", payloads::keepAwake(false, now + 60, now), K::idleLock, P::interrupt, "keepAwake",
         tinted("moon.zzz.fill", TintName::slate), QStringLiteral("Sleep allowed"), std::nullopt, T::none(),
         2, std::nullopt},
    };
    for (const Expected& row : rows) {
        SCOPED_TRACE(row.event);
        ASSERT_TRUE(row.payload);
        const ActivityPayload& p = *row.payload;
        EXPECT_FALSE(p.id.isNull());
        EXPECT_EQ(p.kind, row.kind);
        EXPECT_EQ(p.priority, row.priority);
        EXPECT_EQ(p.dedupeKey, row.dedupeKey);
        EXPECT_EQ(p.leading, row.leading);
        EXPECT_EQ(p.title, row.title);
        EXPECT_EQ(p.subtitle, row.subtitle);
        EXPECT_EQ(p.trailing, row.trailing);
        EXPECT_EQ(p.duration, row.duration);
        EXPECT_EQ(p.interaction, row.interaction);
        EXPECT_EQ(p.createdAt, now);
    }
    EXPECT_NE(payloads::unlocked(now).id, payloads::unlocked(now).id) << "a fresh id per payload";
}

TEST(ActivityPayloadsTest, RemainingTimeReadsInHoursAndMinutes) {
    const QList<std::pair<std::optional<double>, std::optional<QString>>> rows{
        {90 * 60, QStringLiteral("1 hr 30 min remaining")},
        {65 * 60 + 59, QStringLiteral("1 hr 5 min remaining")},
        {60 * 60, QStringLiteral("1 hr 0 min remaining")},
        {45 * 60, QStringLiteral("45 min remaining")},
        {59, QStringLiteral("0 min remaining")},
        {std::nullopt, std::nullopt},
    };
    for (const auto& [seconds, text] : rows)
        EXPECT_EQ(payloads::batterySubtitle(seconds), text) << (seconds ? *seconds : -1);
}

TEST(ActivityPayloadsTest, CalendarSubtitleCountsWholeMinutes) {
    const QList<std::pair<double, QString>> rows{
        {59, QStringLiteral("Starting now")},  {0, QStringLiteral("Starting now")},
        {-30, QStringLiteral("Starting now")}, {60, QStringLiteral("in 1 min")},
        {330, QStringLiteral("in 5 min")},     {3599, QStringLiteral("in 59 min")},
    };
    for (const auto& [seconds, text] : rows)
        EXPECT_EQ(payloads::calendarSubtitle(seconds), text) << seconds;
}

TEST(ActivityPayloadsTest, KeepAwakeSubtitleShowsTheLocalEndTime) {
    const QDateTime end = QDateTime(QDate(2026, 3, 14), QTime(14, 30), Qt::LocalTime);
    EXPECT_EQ(payloads::keepAwakeSubtitle(Date::fromDateTime(end)), QStringLiteral("Until 14:30"));
    EXPECT_EQ(payloads::keepAwakeSubtitle(std::nullopt), QStringLiteral("Until you turn it off"));
}
