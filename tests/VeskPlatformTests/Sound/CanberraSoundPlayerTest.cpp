#include "VeskPlatform/Sound/CanberraSoundPlayer.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(CanberraSoundPlayerTest, ClassicNamesPlayThemeEvents) {
    EXPECT_EQ(CanberraSoundPlayer::eventId(QStringLiteral("Tink")), QStringLiteral("service-logout"));
    EXPECT_EQ(CanberraSoundPlayer::eventId(QStringLiteral("Pop")), QStringLiteral("service-login"));
    EXPECT_EQ(CanberraSoundPlayer::eventId(QStringLiteral("bell")), QStringLiteral("bell"));
}

TEST(CanberraSoundPlayerTest, WithoutASoundServerThereIsNoSoundAndNoError) {
    qputenv("CANBERRA_DRIVER", "pulse");
    qputenv("PULSE_SERVER", "unix:/nonexistent/vesk/pulse/native");
    std::optional<bool> first;
    std::optional<bool> second;
    {
        CanberraSoundPlayer player;
        player.play(QStringLiteral("Tink"), [&](bool played) { first = played; });
        player.play(QStringLiteral("Pop"), [&](bool played) { second = played; });
        ASSERT_TRUE(test::processEventsUntil([&] { return first && second; }));
    }
    EXPECT_EQ(first, false);
    EXPECT_EQ(second, false);
}
