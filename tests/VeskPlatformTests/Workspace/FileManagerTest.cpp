#include "VeskPlatform/Workspace/FileManager.h"

#include "UrlCatcher.h"
#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"
#include "support/EventLoop.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(FileManagerTest, ShowsTheFileSelectedElseOpensItsFolder) {
    test::PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    test::UrlCatcher catcher;
    const auto open = [&catcher](const QUrl& url) { catcher.open(url); };
    QDBusConnection bus =
        QDBusConnection::connectToBus(buses.sessionAddress(), QStringLiteral("reveal-under-test"));

    fileManager::reveal(QStringLiteral("/tmp/some folder/VeskNotch-diagnostics.txt"), bus, open);
    ASSERT_TRUE(test::processEventsUntil([&] { return !catcher.opened.isEmpty(); }));
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/some folder"))});

    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    const QString path = QStringLiteral("/org/freedesktop/FileManager1");
    ASSERT_TRUE(buses.startMock(service, path, service, false)) << qPrintable(buses.error());
    test::DBusMockControl manager(buses.session(), service, path);
    ASSERT_TRUE(manager.addMethod(
        service, {QStringLiteral("ShowItems"), QStringLiteral("ass"), QString(), QString()}));

    catcher.opened.clear();
    fileManager::reveal(QStringLiteral("/tmp/some folder/VeskNotch-diagnostics.txt"), bus, open);
    ASSERT_TRUE(test::processEventsUntil(
        [&] { return !manager.methodCalls(QStringLiteral("ShowItems")).isEmpty(); }));
    const QVariantList call = manager.methodCalls(QStringLiteral("ShowItems")).constFirst();
    ASSERT_EQ(call.size(), 2);
    EXPECT_EQ(call[0].toStringList(),
              QStringList{QStringLiteral("file:///tmp/some%20folder/VeskNotch-diagnostics.txt")});
    test::processEventsFor(100);
    EXPECT_TRUE(catcher.opened.isEmpty());
}

} // namespace
} // namespace vesk
