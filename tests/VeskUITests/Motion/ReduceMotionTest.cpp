#include "VeskUI/Motion/ReduceMotion.h"
#include "VeskUI/Tokens/Vesk.h"

#include "VeskKit/Notch/NotchState.h"

#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/OwnProcess.h"
#include "support/VeskUI/FakeSettingsPortal.h"

#include <gtest/gtest.h>

#include <QDBusInterface>
#include <QDBusReply>
#include <QSignalSpy>

using vesk::MotionSpec;
using vesk::ReduceMotion;
namespace Motion = vesk::Vesk::Motion;

namespace {

using FakePortal = vesk::test::FakeSettingsPortal;

} // namespace

// The process's session bus and its shared preference bind to the first bus they see:
// the tests with a portal run in a process of their own.

TEST(ReduceMotionTest, APortalWithAnimationsOffSwapsEveryStateChangeForTheShortEaseInOut) {
    if (!vesk::test::runsInOwnProcess()) return;
    vesk::test::PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    FakePortal portal(buses, /*animationsEnabled=*/false);
    ASSERT_TRUE(portal.ok()) << qPrintable(buses.error());

    const vesk::NotchState openDesk = vesk::NotchState::open(vesk::DeskTab::desk);
    ReduceMotion& reduce = ReduceMotion::shared();
    ASSERT_TRUE(vesk::test::processEventsUntil([&] { return reduce.hasAnswer(); }));
    EXPECT_TRUE(reduce.isOn());
    EXPECT_EQ(Motion::respectingReduceMotion(Motion::open), MotionSpec::easeInOut(0.2));
    EXPECT_EQ(Motion::forStateChange(openDesk), MotionSpec::easeInOut(0.2));
    EXPECT_EQ(Motion::forStateChange(vesk::NotchState::closed()), MotionSpec::easeInOut(0.2));

    // Turning animations back on applies from the next state change, without a restart.
    QSignalSpy changed(&reduce, &ReduceMotion::changed);
    portal.setAnimationsEnabled(true);
    ASSERT_TRUE(vesk::test::processEventsUntil([&] { return !reduce.isOn(); }));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(Motion::forStateChange(openDesk), Motion::open);
    EXPECT_EQ(Motion::forStateChange(vesk::NotchState::closed()), Motion::close);
    EXPECT_EQ(Motion::forStateChange(vesk::NotchState::dropTarget()), Motion::close);
    EXPECT_EQ(Motion::respectingReduceMotion(Motion::hover), Motion::hover);
}

TEST(ReduceMotionTest, ReadingThePreferenceNeverWaitsForThePortal) {
    if (!vesk::test::runsInOwnProcess()) return;
    vesk::test::PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    FakePortal portal(buses, /*animationsEnabled=*/false);
    ASSERT_TRUE(portal.ok());

    ReduceMotion reduce(QDBusConnection::sessionBus());
    // The portal's answer comes through the event loop: until then the last known value
    // (off) is used.
    EXPECT_FALSE(reduce.isOn());
    EXPECT_FALSE(reduce.hasAnswer());
    ASSERT_TRUE(vesk::test::processEventsUntil([&] { return reduce.hasAnswer(); }));
    EXPECT_TRUE(reduce.isOn());
}

TEST(ReduceMotionTest, WithoutAPortalMotionIsLeftAlone) {
    if (!vesk::test::runsInOwnProcess()) return;
    vesk::test::PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    ReduceMotion reduce(QDBusConnection::sessionBus());
    ASSERT_TRUE(vesk::test::processEventsUntil([&] { return reduce.hasAnswer(); }));
    EXPECT_FALSE(reduce.isOn());

    // A portal that turns up later is asked then.
    FakePortal portal(buses, /*animationsEnabled=*/false);
    ASSERT_TRUE(portal.ok());
    EXPECT_TRUE(vesk::test::processEventsUntil([&] { return reduce.isOn(); }));
}

TEST(ReduceMotionTest, WithoutASessionBusMotionIsLeftAlone) {
    ReduceMotion reduce(QDBusConnection(QStringLiteral("not connected")));
    EXPECT_FALSE(reduce.isOn());
    EXPECT_EQ(Motion::respectingReduceMotion(Motion::open, reduce.isOn()), Motion::open);
    EXPECT_EQ(Motion::respectingReduceMotion(Motion::open, true), Motion::reduced);
}
