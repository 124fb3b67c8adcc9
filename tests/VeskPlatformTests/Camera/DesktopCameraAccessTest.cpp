#include "VeskPlatform/Camera/DesktopCameraAccess.h"

#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"
#include "support/EventLoop.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vesk {
namespace {

using Auth = CameraAccess::Authorization;
using Device = DesktopCameraAccess::Device;

TEST(DesktopCameraAccessTest, AuthorizationFromDevicesAndThePortal) {
    const QList<Device> none;
    const QList<Device> closed{{QStringLiteral("/dev/video0"), false}};
    const QList<Device> open{{QStringLiteral("/dev/video0"), false}, {QStringLiteral("/dev/video1"), true}};
    struct Case {
        QList<Device> devices;
        bool sandboxed;
        std::optional<bool> portal;
        Auth expected;
    };
    const std::vector<Case> cases{
        {none, false, std::nullopt, Auth::notDetermined}, // no camera: nothing to decide yet
        {closed, false, std::nullopt, Auth::denied},      // not in the video group
        {open, false, std::nullopt, Auth::authorized},
        {none, true, std::nullopt, Auth::notDetermined},
        {none, true, true, Auth::authorized},
        {none, true, false, Auth::denied},
        {open, true, false, Auth::authorized},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DesktopCameraAccess::authorization(c.devices, c.sandboxed, c.portal), c.expected);
}

// Inside a sandbox the camera portal decides; its answer holds for the session.
TEST(DesktopCameraAccessTest, SandboxedRequestsGoThroughTheCameraPortal) {
    test::PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    QDBusConnection bus =
        QDBusConnection::connectToBus(buses.sessionAddress(), QStringLiteral("camera-under-test"));
    QTemporaryDir emptyDev;

    {
        DesktopCameraAccess camera(true, emptyDev.path(), bus);
        std::optional<bool> reply;
        camera.requestAccess([&](bool granted) { reply = granted; });
        ASSERT_TRUE(test::processEventsUntil([&] { return reply.has_value(); }));
        EXPECT_FALSE(*reply) << "no portal, no camera";
    }

    ASSERT_TRUE(buses.startMock(service, path, QStringLiteral("org.freedesktop.portal.Camera"), false))
        << qPrintable(buses.error());
    test::DBusMockControl portal(buses.session(), service, path);
    QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    for (const uint response : {1u, 0u}) {
        const QString code =
            QStringLiteral("path = '/org/freedesktop/portal/desktop/request/%1/' + args[0]['handle_token']\n"
                           "self.EmitSignalDetailed('org.freedesktop.portal.Request', 'Response', 'ua{sv}', "
                           "[dbus.UInt32(%2), dbus.Dictionary({}, signature='sv')], {'path': path})\n"
                           "ret = dbus.ObjectPath(path)\n")
                .arg(sender)
                .arg(response);
        ASSERT_TRUE(portal.addMethod(
            QStringLiteral("org.freedesktop.portal.Camera"),
            {QStringLiteral("AccessCamera"), QStringLiteral("a{sv}"), QStringLiteral("o"), code}))
            << qPrintable(portal.lastError());

        DesktopCameraAccess camera(true, emptyDev.path(), bus);
        EXPECT_EQ(camera.authorization(), Auth::notDetermined);
        std::optional<bool> reply;
        camera.requestAccess([&](bool granted) { reply = granted; });
        ASSERT_TRUE(test::processEventsUntil([&] { return reply.has_value(); }));
        EXPECT_EQ(*reply, response == 0);
        EXPECT_EQ(camera.authorization(), response == 0 ? Auth::authorized : Auth::denied);
    }
}

} // namespace
} // namespace vesk
