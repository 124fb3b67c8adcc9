// The do-not-disturb switch from each of its sources, in their order: a notification
// server's Inhibited (restarts included), the settings portal, GSettings, nothing.
#include "VeskPlatform/Session/DesktopDoNotDisturb.h"

#include "support/EventLoop.h"
#include "support/OwnProcess.h"
#include "support/Session/MemoryGSettings.h"
#include "support/Session/SessionMocks.h"

#include <gtest/gtest.h>

#include <QDBusVariant>

using namespace vesk;
using namespace vesk::test;
using Source = DoNotDisturb::Source;

namespace {

const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString bannersSchema = QStringLiteral("org.gnome.desktop.notifications");

class DesktopDoNotDisturbTest : public BusTest {
protected:
    // GSettings in memory, with or without the notifications schema, must come first.
    void startLayer() {
        QObject::connect(&layer, &DoNotDisturb::started, [this](bool active) { starts << active; });
        QObject::connect(&layer, &DoNotDisturb::activeChanged, [this](bool active) { changes << active; });
        layer.start();
        ASSERT_TRUE(processEventsUntil([&] { return !starts.isEmpty(); })) << "the layer never started";
    }

    DesktopDoNotDisturb layer;
    QList<bool> starts;
    QList<bool> changes;
};

} // namespace

// GNOME's server has no Inhibited: the portal's show-banners is read instead, in the
// doubly wrapped form older portals answer with, and followed through SettingChanged.
TEST_F(DesktopDoNotDisturbTest, ServerWithoutInhibitedFallsThroughToTheSettingsPortal) {
    MemoryGSettings gsettings;
    ASSERT_TRUE(gsettings.ok()) << qPrintable(gsettings.error());
    ASSERT_TRUE(startNotificationServer(buses, std::nullopt)) << qPrintable(buses.error());
    ASSERT_TRUE(buses.startMock(portal, portalPath, portalSettings, false)) << qPrintable(buses.error());
    DBusMockControl control(buses.session(), portal, portalPath);
    ASSERT_TRUE(control.addMethod(
        portalSettings, {QStringLiteral("Read"), QStringLiteral("ss"), QStringLiteral("v"),
                         QStringLiteral("ret = dbus.Boolean(False, variant_level=2) if args == "
                                        "['org.gnome.desktop.notifications', 'show-banners'] else None")}))
        << qPrintable(control.lastError());

    startLayer();
    EXPECT_EQ(starts, QList<bool>{true});
    EXPECT_EQ(layer.source(), Source::settingsPortal);

    // Other keys and a repeat of the same value are not changes.
    for (const auto& [key, banners] : {std::pair{"show-banners", true},
                                       {"show-in-lock-screen", false},
                                       {"show-banners", true},
                                       {"show-banners", false}})
        ASSERT_TRUE(control.emitSignal(
            portalSettings, QStringLiteral("SettingChanged"), QStringLiteral("ssv"),
            {bannersSchema, QString::fromLatin1(key), QVariant::fromValue(QDBusVariant(banners))}))
            << qPrintable(control.lastError());
    ASSERT_TRUE(processEventsUntil([&] { return changes.size() == 2; }));
    processEventsFor(200);
    EXPECT_EQ(changes, (QList<bool>{false, true}));
    EXPECT_EQ(starts.size(), 1);
}

// With neither a server nor a portal on the bus, GSettings is read: banners off before
// the start mean do-not-disturb is on from the start.
TEST_F(DesktopDoNotDisturbTest, WithoutServerOrPortalTheKeyIsReadThroughGSettings) {
    MemoryGSettings gsettings;
    ASSERT_TRUE(gsettings.ok()) << qPrintable(gsettings.error());
    MemoryGSettings::setBoolean("org.gnome.desktop.notifications", "show-banners", false);
    startLayer();
    EXPECT_EQ(starts, QList<bool>{true});
    EXPECT_EQ(layer.source(), Source::gsettings);

    MemoryGSettings::setBoolean("org.gnome.desktop.notifications", "show-banners", true);
    ASSERT_TRUE(processEventsUntil([&] { return !changes.isEmpty(); }));
    MemoryGSettings::setBoolean("org.gnome.desktop.notifications", "show-banners", true);
    processEventsFor(200);
    EXPECT_EQ(changes, QList<bool>{false});
    EXPECT_FALSE(layer.isActive());

    // After stop() a change is no longer heard.
    layer.stop();
    MemoryGSettings::setBoolean("org.gnome.desktop.notifications", "show-banners", false);
    processEventsFor(200);
    EXPECT_EQ(changes, QList<bool>{false});
}

// A missing schema would abort the process if GSettings were asked for it: the layer
// looks first and, finding nothing anywhere, reads the switch as off once. GSettings
// reads its schemas once per process: this needs one that never saw the schema.
TEST_F(DesktopDoNotDisturbTest, WithNoSourceAtAllTheSwitchReadsOffOnce) {
    if (!runsInOwnProcess()) return;
    MemoryGSettings gsettings(false);
    ASSERT_TRUE(gsettings.ok()) << qPrintable(gsettings.error());
    startLayer();
    processEventsFor(200);
    EXPECT_EQ(starts, QList<bool>{false});
    EXPECT_TRUE(changes.isEmpty());
    EXPECT_EQ(layer.source(), Source::none);
}

// A notification server that restarts may come back with the switch moved.
TEST_F(DesktopDoNotDisturbTest, ARestartedNotificationServerIsReadAgain) {
    MemoryGSettings gsettings;
    QProcess* first = startNotificationServer(buses, false);
    ASSERT_TRUE(first) << qPrintable(buses.error());
    startLayer();
    EXPECT_EQ(starts, QList<bool>{false});
    EXPECT_EQ(layer.source(), Source::notificationServer);

    buses.stop(first);
    ASSERT_TRUE(buses.waitForNameGone(sessionmock::notifications, false));
    ASSERT_TRUE(startNotificationServer(buses, true)) << qPrintable(buses.error());
    ASSERT_TRUE(processEventsUntil([&] { return !changes.isEmpty(); }));
    EXPECT_EQ(changes, QList<bool>{true});
}
