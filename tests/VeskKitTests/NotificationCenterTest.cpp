#include "VeskKit/Foundation/NotificationCenter.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <thread>

using namespace vesk;

TEST(NotificationCenterTest, DeliversOnTheMainThreadWithTheUserInfo) {
    NotificationCenter center;
    QObject owner;
    QThread* ranOn = nullptr;
    QVariantMap received;
    int count = 0;
    center.observe(QStringLiteral("app.tessarn.notch.trayDragChanged"), &owner, [&](const Notification& n) {
        ranOn = QThread::currentThread();
        received = n.userInfo;
        ++count;
    });
    center.observe(QStringLiteral("app.tessarn.notch.other"), &owner,
                   [&](const Notification&) { count += 100; });

    center.post(QStringLiteral("app.tessarn.notch.trayDragChanged"), {{QStringLiteral("sourcing"), true}});
    EXPECT_EQ(count, 1); // a post on the main thread is delivered before it returns

    std::thread worker([&] {
        center.post(QStringLiteral("app.tessarn.notch.trayDragChanged"),
                    {{QStringLiteral("sourcing"), false}});
    });
    worker.join();
    ASSERT_TRUE(test::processEventsUntil([&] { return count == 2; }));
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
    EXPECT_EQ(received.value(QStringLiteral("sourcing")), QVariant(false));
}

TEST(NotificationCenterTest, NothingArrivesAfterTheObserversContextIsDestroyedOrItIsRemoved) {
    NotificationCenter center;
    int count = 0;
    auto owner = std::make_unique<QObject>();
    center.observe(QStringLiteral("app.tessarn.notch.openSettings"), owner.get(),
                   [&](const Notification&) { ++count; });
    QObject other;
    auto id = center.observe(QStringLiteral("app.tessarn.notch.openSettings"), &other,
                             [&](const Notification&) { count += 10; });

    // Posted from a worker, then the context dies before the main thread delivers it.
    std::thread worker([&] { center.post(QStringLiteral("app.tessarn.notch.openSettings")); });
    worker.join();
    owner.reset();
    center.removeObserver(id);
    test::processEventsFor(50);
    center.post(QStringLiteral("app.tessarn.notch.openSettings"));
    EXPECT_EQ(count, 0);
}
