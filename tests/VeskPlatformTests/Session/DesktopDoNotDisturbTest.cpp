#include "VeskPlatform/Session/DesktopDoNotDisturb.h"

#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/Session/DBusMockControl.h"
#include "support/Session/MemoryGSettings.h"
#include "support/Session/SessionMocks.h"

#include <gtest/gtest.h>

#include <QDBusVariant>

using namespace vesk;
using namespace vesk::test;

namespace {

using sessionmock::notifications;
const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString bannersSchema = QStringLiteral("org.gnome.desktop.notifications");

struct Heard {
    QList<bool> starts;
    QList<bool> changes;

    explicit Heard(DoNotDisturb& layer) {
        QObject::connect(&layer, &DoNotDisturb::started, [this](bool active) { starts << active; });
        QObject::connect(&layer, &DoNotDisturb::activeChanged, [this](bool active) { changes << active; });
    }
};

} // namespace

// GNOME's server has no Inhibited: the portal's show-banners is read instead, in the
// doubly wrapped form older portals answer with, and followed through SettingChanged.
TEST(DesktopDoNotDisturbTest, ServerWithoutInhibitedFallsThroughToTheSettingsPortal) {
    MemoryGSettings gsettings;
    ASSERT_TRUE(gsettings.ok()) << qPrintable(gsettings.error());
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    ASSERT_TRUE(startNotificationServer(buses, std::nullopt)) << qPrintable(buses.error());
    ASSERT_TRUE(buses.startMock(portal, portalPath, portalSettings, false)) << qPrintable(buses.error());
    DBusMockControl portalControl(buses.session(), portal, portalPath);
    ASSERT_TRUE(portalControl.addMethod(
        portalSettings, {QStringLiteral("Read"), QStringLiteral("ss"), QStringLiteral("v"),
                         QStringLiteral("ret = dbus.Boolean(False, variant_level=2) if args == "
                                        "['org.gnome.desktop.notifications', 'show-banners'] else None")}))
        << qPrintable(portalControl.lastError());

    DesktopDoNotDisturb layer;
    Heard heard(layer);
    layer.start();
    ASSERT_TRUE(processEventsUntil([&] { return !heard.starts.isEmpty(); }, 10000));
    EXPECT_EQ(heard.starts, QList<bool>{true});
    EXPECT_EQ(layer.source(), DoNotDisturb::Source::settingsPortal);

    const auto settingChanged = [&](const QString& nameSpace, const QString& key, bool value) {
        ASSERT_TRUE(portalControl.emitSignal(portalSettings, QStringLiteral("SettingChanged"),
                                             QStringLiteral("ssv"),
                                             {nameSpace, key, QVariant::fromValue(QDBusVariant(value))}))
            << qPrintable(portalControl.lastError());
    };
    settingChanged(bannersSchema, QStringLiteral("show-banners"), true);
    ASSERT_TRUE(processEventsUntil([&] { return !heard.changes.isEmpty(); }));
    EXPECT_EQ(heard.changes, QList<bool>{false});

    // Other keys and a repeat of the same value are not changes.
    settingChanged(bannersSchema, QStringLiteral("show-in-lock-screen"), false);
    settingChanged(bannersSchema, QStringLiteral("show-banners"), true);
    settingChanged(bannersSchema, QStringLiteral("show-banners"), false);
    ASSERT_TRUE(processEventsUntil([&] { return heard.changes.size() == 2; }));
    processEventsFor(200);
    EXPECT_EQ(heard.changes, (QList<bool>{false, true}));
    EXPECT_EQ(heard.starts.size(), 1);
}

// With neither a server nor a portal on the bus, GSettings is read.
TEST(DesktopDoNotDisturbTest, WithoutServerOrPortalTheKeyIsReadThroughGSettings) {
    MemoryGSettings gsettings;
    ASSERT_TRUE(gsettings.ok()) << qPrintable(gsettings.error());
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());

    DesktopDoNotDisturb layer;
    Heard heard(layer);
    layer.start();
    ASSERT_TRUE(processEventsUntil([&] { return !heard.starts.isEmpty(); }, 10000));
    EXPECT_EQ(heard.starts, QList<bool>{false});
    EXPECT_EQ(layer.source(), DoNotDisturb::Source::gsettings);

    MemoryGSettings::setBoolean("org.gnome.desktop.notifications", "show-banners", false);
    ASSERT_TRUE(processEventsUntil([&] { return !heard.changes.isEmpty(); }));
    EXPECT_EQ(heard.changes, QList<bool>{true});
    EXPECT_TRUE(layer.isActive());

    // After stop() a change is no longer heard.
    layer.stop();
    MemoryGSettings::setBoolean("org.gnome.desktop.notifications", "show-banners", true);
    processEventsFor(200);
    EXPECT_EQ(heard.changes, QList<bool>{true});
}

// A missing schema would abort the process if GSettings were asked for it: the layer
// looks first and, finding nothing anywhere, reads the switch as off once.
TEST(DesktopDoNotDisturbTest, WithNoSourceAtAllTheSwitchReadsOffOnce) {
    MemoryGSettings gsettings(false);
    ASSERT_TRUE(gsettings.ok()) << qPrintable(gsettings.error());
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());

    DesktopDoNotDisturb layer;
    Heard heard(layer);
    layer.start();
    ASSERT_TRUE(processEventsUntil([&] { return !heard.starts.isEmpty(); }, 10000));
    processEventsFor(200);
    EXPECT_EQ(heard.starts, QList<bool>{false});
    EXPECT_TRUE(heard.changes.isEmpty());
    EXPECT_EQ(layer.source(), DoNotDisturb::Source::none);
}

// A notification server that restarts may come back with the switch moved.
TEST(DesktopDoNotDisturbTest, ARestartedNotificationServerIsReadAgain) {
    MemoryGSettings gsettings;
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    QProcess* first = startNotificationServer(buses, false);
    ASSERT_TRUE(first) << qPrintable(buses.error());

    DesktopDoNotDisturb layer;
    Heard heard(layer);
    layer.start();
    ASSERT_TRUE(processEventsUntil([&] { return !heard.starts.isEmpty(); }, 10000));
    EXPECT_EQ(heard.starts, QList<bool>{false});
    EXPECT_EQ(layer.source(), DoNotDisturb::Source::notificationServer);

    buses.stop(first);
    ASSERT_TRUE(buses.waitForNameGone(notifications, false));
    ASSERT_TRUE(startNotificationServer(buses, true)) << qPrintable(buses.error());
    ASSERT_TRUE(processEventsUntil([&] { return !heard.changes.isEmpty(); }));
    EXPECT_EQ(heard.changes, QList<bool>{true});
}
