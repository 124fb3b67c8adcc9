// The bridge over a real sound server and the real key tap on the test's X server: the
// volume keys follow whether a volume can be set.
#include "BridgeHarness.h"

#include "VeskPlatform/Audio/PulseAudioHardware.h"
#include "VeskPlatform/Input/X11KeyTap.h"

#include "support/Audio/PulseDaemon.h"
#include "support/EventLoop.h"
#include "support/X11/Bystander.h"
#include "support/X11/Xdotool.h"

#include <gtest/gtest.h>

#include <X11/XF86keysym.h>

namespace vesk {
namespace {

using test::BridgeHarness;
using test::processEventsUntil;

TEST(ActivityBridgeComebackX11Test, TheVolumeKeysAreLetGoWhileTheSoundServerIsAwayAndTakenWhenItReturns) {
    test::PulseDaemon pulse;
    ASSERT_TRUE(pulse.start()) << qPrintable(pulse.error());
    PulseAudioHardware hardware(PulseAudioHardware::Options{
        .server = pulse.server(), .firstRetryDelay = 0.1, .longestRetryDelay = 0.4});
    test::Bystander bystander;
    ASSERT_TRUE(bystander.ok());
    BridgeHarness h(/*withBacklights=*/false, {&hardware, std::make_unique<X11KeyTap>()});
    h.settings.setSuppressSystemHUD(true);
    h.start();
    const EventTapService& tap = h.bridge->eventTap();
    const auto volumeKeysTaken = [&](bool taken) {
        return processEventsUntil([&] {
            h.run();
            return tap.consumableKeys().contains(MediaKey::soundDown) == taken;
        });
    };
    const auto soundPills = [&] {
        h.run();
        return int(std::count_if(h.presented.begin(), h.presented.end(), [](const ActivityPayload& p) {
            return p.dedupeKey == QStringLiteral("sound");
        }));
    };
    // The server starts at full volume, where raising it would change nothing.
    const auto lowerVolume = [] { return test::xdotool({"key", "XF86AudioLowerVolume"}); };
    const auto heard = [&](int presses) {
        return processEventsUntil([&] { return bystander.presses(XF86XK_AudioLowerVolume) == presses; });
    };
    ASSERT_TRUE(volumeKeysTaken(true));
    ASSERT_EQ(tap.status(),
              EventTapService::Status(EventTapService::Running{EventTapService::Mode::intercept}));

    ASSERT_TRUE(lowerVolume());
    ASSERT_TRUE(processEventsUntil([&] { return soundPills() == 1; })) << "the key never reached the bridge";
    EXPECT_EQ(bystander.presses(XF86XK_AudioLowerVolume), 0);

    pulse.kill();
    ASSERT_TRUE(volumeKeysTaken(false)) << "the volume keys are still held with no sound server";
    ASSERT_TRUE(lowerVolume());
    EXPECT_TRUE(heard(1)) << "the key did not reach the other program";

    ASSERT_TRUE(pulse.start()) << qPrintable(pulse.error());
    ASSERT_TRUE(volumeKeysTaken(true)) << "the volume keys were not taken again";
    EXPECT_EQ(soundPills(), 1) << "the server's leaving or return showed a pill";
    ASSERT_TRUE(lowerVolume());
    ASSERT_TRUE(processEventsUntil([&] { return soundPills() == 2; }))
        << "the next real change showed no pill";
    EXPECT_EQ(bystander.presses(XF86XK_AudioLowerVolume), 1);
}

} // namespace
} // namespace vesk
