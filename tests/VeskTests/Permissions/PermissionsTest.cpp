#include "Vesk/Permissions/Permissions.h"
#include "Vesk/Permissions/DesktopPermissionLayers.h"

#include "support/Bluetooth/FakeBluetoothDevices.h"
#include "support/Calendar/CalendarFixtures.h"
#include "support/DeviceInput/FakeDevices.h"
#include "support/ManualScheduler.h"
#include "support/Permissions/FakeCameraAccess.h"

#include <gtest/gtest.h>

#include <optional>

namespace vesk {
namespace {

template <typename T> std::unique_ptr<T> keep(T*& raw) {
    auto owned = std::make_unique<T>();
    raw = owned.get();
    return owned;
}

// The desktop's layers over the real event-tap and Bluetooth services, whose own
// platform layers are fakes, on virtual time.
class PermissionsTest : public ::testing::Test {
protected:
    test::ManualScheduler scheduler;
    test::ScopedMainScheduler mainGuard{scheduler};
    test::FakeKeyTap* tap = nullptr;
    EventTapService eventTap{keep(tap)};
    test::FakeBluetoothDevices* devices = nullptr;
    BluetoothService bluetooth{keep(devices)};
    test::FakeCameraAccess* camera = nullptr;
    test::CalendarHarness calendarStore{scheduler};
    std::unique_ptr<CalendarService> calendar = calendarStore.make();
    DesktopPermissionLayers layers{eventTap, bluetooth, *calendar, keep(camera)};
    ActivationHolds holds;
    PermissionPrompt prompt{holds};
    Permissions permissions{layers, prompt};

    std::optional<bool> reply;
    std::function<void(bool)> record() {
        return [this](bool granted) { reply = granted; };
    }
};

TEST_F(PermissionsTest, StatesComeFromTheLayersAsTheyAreNow) {
    tap->listenable = false;
    devices->setReachability(BluetoothDevices::Reachability::unreachable);
    EXPECT_EQ(permissions.state(Permission::inputMonitoring), PermissionState::denied);
    EXPECT_EQ(permissions.state(Permission::bluetooth), PermissionState::denied);
    EXPECT_EQ(permissions.state(Permission::calendar), PermissionState::notDetermined);
    tap->listenable = true;
    camera->answer = CameraAccess::Authorization::authorized;
    EXPECT_EQ(permissions.state(Permission::inputMonitoring), PermissionState::granted);
    EXPECT_EQ(permissions.state(Permission::camera), PermissionState::granted);
}

TEST_F(PermissionsTest, InputMonitoringIsReadOneSecondAfterTheRequestRan) {
    tap->listenable = false;
    permissions.request(Permission::inputMonitoring, record());
    EXPECT_TRUE(holds.isRegular());

    scheduler.advance(0.1);
    tap->listenable = true; // granted while the request is under way
    scheduler.advance(1.0); // 1.1 s: the request ran at 0.15 s
    EXPECT_FALSE(reply.has_value());
    scheduler.advance(0.1);
    EXPECT_EQ(reply, true);

    scheduler.advance(28.8); // 30 s
    EXPECT_TRUE(holds.isRegular());
    scheduler.advance(0.2); // 30 s after the request ran
    EXPECT_FALSE(holds.isRegular());
}

TEST_F(PermissionsTest, BluetoothAnswersWhenTheDaemonDoesOrAfterTwoSeconds) {
    permissions.request(Permission::bluetooth, record());
    scheduler.advance(PermissionPrompt::bodyDelay);
    ASSERT_EQ(devices->pendingProbes(), 1);
    devices->answerProbes(true);
    EXPECT_EQ(reply, true);
    reply.reset();
    scheduler.advance(BluetoothPermissionProbe::timeout);
    EXPECT_FALSE(reply.has_value()) << "answered only once";

    permissions.request(Permission::bluetooth, record());
    scheduler.advance(PermissionPrompt::bodyDelay);
    devices->setReachability(BluetoothDevices::Reachability::unknown);
    scheduler.advance(BluetoothPermissionProbe::timeout - 0.1);
    EXPECT_FALSE(reply.has_value());
    scheduler.advance(0.2);
    EXPECT_EQ(reply, false);
    devices->answerProbes(true);
    EXPECT_EQ(reply, false) << "a late daemon answer finds nothing pending";
}

TEST_F(PermissionsTest, ASupersededBluetoothRequestIsAnsweredWithTheCurrentState) {
    BluetoothPermissionProbe probe(layers);
    std::optional<bool> first;
    std::optional<bool> second;
    devices->setReachability(BluetoothDevices::Reachability::reachable);
    probe.request([&](bool granted) { first = granted; });
    probe.request([&](bool granted) { second = granted; });
    EXPECT_EQ(first, true);
    EXPECT_FALSE(second.has_value());

    devices->answerProbes(false);
    EXPECT_EQ(second, false);
    EXPECT_EQ(first, true);
    scheduler.advance(BluetoothPermissionProbe::timeout);
    EXPECT_FALSE(probe.isPending());
}

TEST_F(PermissionsTest, CalendarAndCameraAskWithoutChangingThePolicy) {
    calendarStore.state->access = CalendarAccess::restricted;
    permissions.request(Permission::calendar, record());
    EXPECT_FALSE(holds.isRegular());
    scheduler.runPending();
    EXPECT_EQ(reply, false) << "granted exactly when the calendars can be read";
    EXPECT_EQ(permissions.state(Permission::calendar), PermissionState::denied);

    reply.reset();
    permissions.request(Permission::camera, record());
    EXPECT_FALSE(holds.isRegular());
    ASSERT_EQ(camera->pendingRequests(), 1);
    camera->answerRequests(true);
    EXPECT_EQ(reply, true);
    EXPECT_EQ(permissions.state(Permission::camera), PermissionState::granted);
}

} // namespace
} // namespace vesk
