#include "VeskPlatform/Audio/PulseAudioHardware.h"
#include "VeskServices/Audio/AudioService.h"

#include "support/Audio/PulseDaemon.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

using namespace vesk;
using vesk::test::processEventsUntil;

// The service on its own queue over a real sound server: what the activity bridge sees.
TEST(AudioServicePulseTest, AServerChangePublishesAndALostServerIsOnlyASettableNotice) {
    test::PulseDaemon daemon;
    ASSERT_TRUE(daemon.start()) << qPrintable(daemon.error());
    PulseAudioHardware hardware(PulseAudioHardware::Options{
        .server = daemon.server(), .firstRetryDelay = 0.1, .longestRetryDelay = 0.4});
    AudioService service(hardware);
    QList<AudioState> published;
    QObject context;
    service.states().consume(&context, [&](AudioState state) { published.push_back(state); });
    QList<bool> settable;
    service.settableChanges().consume(&context, [&](bool value) { settable.push_back(value); });

    service.start();
    ASSERT_TRUE(processEventsUntil([&] { return published.size() == 1; }));
    EXPECT_EQ(published[0].deviceName, QStringLiteral("Test"));
    EXPECT_TRUE(published[0].canSetVolume);

    service.setVolume(0.5);
    ASSERT_TRUE(processEventsUntil([&] { return published.size() == 2; }));
    EXPECT_DOUBLE_EQ(published[1].volume, 0.5);

    ASSERT_TRUE(daemon.pactl({QStringLiteral("set-sink-mute"), QStringLiteral("test"), QStringLiteral("1")}));
    ASSERT_TRUE(processEventsUntil([&] { return published.size() == 3; }));
    EXPECT_TRUE(published[2].isMuted);

    // The loss and the return are told apart from the states: keys may follow them.
    EXPECT_TRUE(settable.isEmpty());
    daemon.kill();
    ASSERT_TRUE(processEventsUntil([&] { return settable == QList<bool>{false}; }));
    EXPECT_FALSE(service.currentState().canSetVolume);
    ASSERT_TRUE(daemon.start()) << qPrintable(daemon.error());
    ASSERT_TRUE(processEventsUntil([&] { return settable == QList<bool>{false, true}; }));
    EXPECT_TRUE(service.currentState().canSetVolume);
    EXPECT_EQ(published.size(), 3) << "neither the loss nor the return of the same output is news";
    service.stop();
}
