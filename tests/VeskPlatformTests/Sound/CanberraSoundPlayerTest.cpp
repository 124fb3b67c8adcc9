#include "VeskPlatform/Sound/CanberraSoundPlayer.h"

#include "support/Audio/PulseDaemon.h"
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

// A sound that is cut short, because its player goes away, did not play to its end.
TEST(CanberraSoundPlayerTest, ThemeSoundsPlayThroughTheSoundServerUntilThePlayerGoes) {
    test::PulseDaemon daemon;
    ASSERT_TRUE(daemon.start()) << qPrintable(daemon.error());
    qputenv("CANBERRA_DRIVER", "pulse");
    qputenv("PULSE_SERVER", daemon.server().toUtf8());
    std::optional<bool> unlock, unknown, cut;
    {
        CanberraSoundPlayer player;
        player.play(QStringLiteral("Pop"), [&](bool played) { unlock = played; });
        player.play(QStringLiteral("no-such-sound-in-any-theme"), [&](bool played) { unknown = played; });
        ASSERT_TRUE(test::processEventsUntil([&] { return unlock && unknown; }));
        EXPECT_EQ(unlock, true);
        EXPECT_EQ(unknown, false);

        // The theme's longest sound (six seconds): still playing when the player goes,
        // however slowly this test runs.
        player.play(QStringLiteral("alarm-clock-elapsed"), [&](bool played) { cut = played; });
        ASSERT_TRUE(test::processEventsUntil([&] {
            return daemon.pactl({u"list"_qs, u"short"_qs, u"sink-inputs"_qs})
                .value_or(QString())
                .contains(QLatin1String("protocol-native"));
        })) << "the sound never reached the server";
    }
    ASSERT_TRUE(test::processEventsUntil([&] { return cut.has_value(); }));
    EXPECT_EQ(cut, false);
}
