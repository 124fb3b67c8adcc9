#include "Vesk/Permissions/Permission.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(PermissionTest, EachLayerAnswerMapsToAState) {
    using S = PermissionState;
    using IM = EventTapService::InputMonitoring;
    EXPECT_EQ(permissionState(IM::granted), S::granted);
    EXPECT_EQ(permissionState(IM::denied), S::denied);
    EXPECT_EQ(permissionState(IM::unknown), S::notDetermined);

    EXPECT_EQ(accessibilityState(true), S::granted);
    EXPECT_EQ(accessibilityState(false), S::notDetermined);

    using BT = BluetoothService::Authorization;
    EXPECT_EQ(permissionState(BT::notDetermined), S::notDetermined);
    EXPECT_EQ(permissionState(BT::restricted), S::denied);
    EXPECT_EQ(permissionState(BT::denied), S::denied);
    EXPECT_EQ(permissionState(BT::allowedAlways), S::granted);
    EXPECT_EQ(permissionState(static_cast<BT>(9)), S::unknown);

    using Cal = CalendarAuthorization;
    EXPECT_EQ(permissionState(Cal::notDetermined), S::notDetermined);
    EXPECT_EQ(permissionState(Cal::restricted), S::denied);
    EXPECT_EQ(permissionState(Cal::denied), S::denied);
    EXPECT_EQ(permissionState(Cal::fullAccess), S::granted);
    EXPECT_EQ(permissionState(Cal::writeOnly), S::denied);
    EXPECT_EQ(permissionState(static_cast<Cal>(7)), S::unknown);

    using Cam = CameraAccess::Authorization;
    EXPECT_EQ(permissionState(Cam::notDetermined), S::notDetermined);
    EXPECT_EQ(permissionState(Cam::restricted), S::denied);
    EXPECT_EQ(permissionState(Cam::denied), S::denied);
    EXPECT_EQ(permissionState(Cam::authorized), S::granted);
    EXPECT_EQ(permissionState(static_cast<Cam>(5)), S::unknown);
}

} // namespace
} // namespace vesk
