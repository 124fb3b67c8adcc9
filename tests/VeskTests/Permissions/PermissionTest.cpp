#include "Vesk/Permissions/Permission.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(PermissionTest, CasesInOrderWithCaseNamesAsRawValues) {
    const auto cases = allCases<Permission>();
    const QStringList raw{QStringLiteral("inputMonitoring"), QStringLiteral("accessibility"),
                          QStringLiteral("bluetooth"), QStringLiteral("calendar"), QStringLiteral("camera")};
    ASSERT_EQ(cases.size(), std::size_t(raw.size()));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(toRaw(cases[i]), raw[qsizetype(i)]);
        EXPECT_EQ(fromRaw<Permission>(raw[qsizetype(i)]), cases[i]);
    }
    EXPECT_FALSE(fromRaw<Permission>(u"Camera").has_value());
    EXPECT_FALSE(fromRaw<Permission>(u"fullDiskAccess").has_value());
}

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
