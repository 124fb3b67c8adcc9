#include "support/DBusFixture.h"

#include <gtest/gtest.h>

#include <QDBusInterface>
#include <QDBusReply>

// The fixture that every D-Bus backend test stands on: if it breaks, they all do.
TEST(DBusFixtureTest, PrivateBusesServeADbusmockTemplateToTheDefaultSystemBus) {
    vesk::test::PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    ASSERT_TRUE(buses.startTemplate(QStringLiteral("upower"), QStringLiteral("org.freedesktop.UPower")))
        << qPrintable(buses.error());

    QDBusInterface upower(QStringLiteral("org.freedesktop.UPower"), QStringLiteral("/org/freedesktop/UPower"),
                          QStringLiteral("org.freedesktop.UPower"), QDBusConnection::systemBus());
    ASSERT_TRUE(upower.isValid()) << qPrintable(upower.lastError().message());
    QDBusReply<QDBusObjectPath> display = upower.call(QStringLiteral("GetDisplayDevice"));
    EXPECT_TRUE(display.isValid()) << qPrintable(display.error().message());
    EXPECT_EQ(QString::fromUtf8(qgetenv("DBUS_SYSTEM_BUS_ADDRESS")), buses.systemAddress());
}
