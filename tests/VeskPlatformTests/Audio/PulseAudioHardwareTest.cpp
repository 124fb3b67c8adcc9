// The PulseAudio backend against a real daemon with a null sink "test" (description "Test").
#include "VeskPlatform/Audio/PulseAudioHardware.h"

#include "support/Audio/PulseDaemon.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <pulse/volume.h>

#include <mutex>

using namespace vesk;
using vesk::test::processEventsUntil;
using Kind = AudioHardwareEvent::Kind;

namespace {

class PulseAudioHardwareTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(daemon.start()) << qPrintable(daemon.error());
        hardware = std::make_unique<PulseAudioHardware>(PulseAudioHardware::Options{
            .server = daemon.server(), .firstRetryDelay = 0.1, .longestRetryDelay = 0.4});
        hardware->addObserver([this](const AudioHardwareEvent& event) {
            std::lock_guard lock(mutex);
            events.push_back(event);
        });
    }

    bool waitReady() {
        return processEventsUntil([&] { return snapshot().status == AudioHardwareStatus::ready; });
    }
    AudioHardwareSnapshot snapshot() const { return hardware->snapshot(); }
    // Takes the events so far.
    QList<AudioHardwareEvent> take() {
        std::lock_guard lock(mutex);
        return std::exchange(events, {});
    }
    bool saw(Kind kind) {
        std::lock_guard lock(mutex);
        return std::any_of(events.begin(), events.end(), [kind](const auto& e) { return e.kind == kind; });
    }
    std::optional<double> volume() const { return snapshot().device(id)->volume; }
    QList<quint32> raw() const { return daemon.rawVolumes(QStringLiteral("test")); }
    bool pactl(const QString& command) const { return daemon.pactl(command.split(u' ')).has_value(); }

    test::PulseDaemon daemon;
    std::unique_ptr<PulseAudioHardware> hardware;
    std::mutex mutex;
    QList<AudioHardwareEvent> events;
    quint32 id = 0;
};

} // namespace

TEST_F(PulseAudioHardwareTest, VolumeAndMuteFollowTheServerAndWritesKeepTheBalance) {
    ASSERT_TRUE(waitReady());
    EXPECT_TRUE(saw(Kind::statusChanged));
    const AudioHardwareSnapshot first = snapshot();
    ASSERT_EQ(first.devices.size(), 1);
    id = first.defaultDevice;
    EXPECT_EQ(first.devices[0], (AudioHardwareDevice{.id = id,
                                                     .key = u"test"_qs,
                                                     .name = u"Test"_qs,
                                                     .transport = AudioTransport::virtual_,
                                                     .volume = 1.0,
                                                     .isMuted = false}));
    EXPECT_EQ(first.defaultKey, u"test"_qs);
    take();

    ASSERT_TRUE(pactl(u"set-sink-volume test 40%"_qs));
    ASSERT_TRUE(processEventsUntil([&] { return volume() && std::abs(*volume() - 0.4) < 0.001; }));
    ASSERT_TRUE(pactl(u"set-sink-mute test 1"_qs));
    ASSERT_TRUE(processEventsUntil([&] { return snapshot().device(id)->isMuted; }));
    const QList<AudioHardwareEvent> changes = take();
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.back().kind, Kind::deviceChanged);
    EXPECT_EQ(changes.back().device, id);

    // A write shows in the cache at once, before the server answers.
    ASSERT_TRUE(hardware->setVolume(id, 0.25));
    EXPECT_DOUBLE_EQ(*volume(), 0.25);
    ASSERT_TRUE(processEventsUntil([&] {
        return raw() == QList<quint32>{PA_VOLUME_NORM / 4, PA_VOLUME_NORM / 4};
    }));

    // The loudest channel is read; a write scales every channel.
    ASSERT_TRUE(
        pactl(QStringLiteral("set-sink-volume test %1 %2").arg(PA_VOLUME_NORM / 2).arg(PA_VOLUME_NORM / 4)));
    ASSERT_TRUE(processEventsUntil([&] { return volume() == 0.5; }));
    ASSERT_TRUE(hardware->setVolume(id, 1.0));
    ASSERT_TRUE(processEventsUntil([&] {
        return raw() == QList<quint32>{PA_VOLUME_NORM, PA_VOLUME_NORM / 2};
    }));

    // A boosted sink reads as full, and full never lowers it.
    ASSERT_TRUE(pactl(u"set-sink-volume test 150%"_qs));
    ASSERT_TRUE(processEventsUntil([&] { return raw().value(0) == PA_VOLUME_NORM * 3 / 2; }));
    ASSERT_TRUE(processEventsUntil([&] { return volume() == 1.0; }));
    EXPECT_TRUE(hardware->setVolume(id, 1.0));
    test::processEventsFor(300);
    EXPECT_EQ(raw().value(0), quint32(PA_VOLUME_NORM * 3 / 2));
}

TEST_F(PulseAudioHardwareTest, TheDefaultSinkChangesOnTheServerAndFromUs) {
    ASSERT_TRUE(waitReady());
    const quint32 first = snapshot().defaultDevice;
    take();
    ASSERT_TRUE(
        pactl(u"load-module module-null-sink sink_name=second sink_properties=device.description=Second"_qs));
    ASSERT_TRUE(processEventsUntil([&] { return snapshot().devices.size() == 2; }));
    EXPECT_TRUE(saw(Kind::devicesChanged));
    EXPECT_EQ(snapshot().defaultDevice, first);

    ASSERT_TRUE(pactl(u"set-default-sink second"_qs));
    ASSERT_TRUE(processEventsUntil([&] { return saw(Kind::defaultDeviceChanged); }));
    const AudioHardwareSnapshot now = snapshot();
    EXPECT_EQ(now.defaultKey, u"second"_qs);
    ASSERT_NE(now.device(now.defaultDevice), nullptr);
    EXPECT_EQ(now.device(now.defaultDevice)->name, u"Second"_qs);

    ASSERT_TRUE(hardware->setDefaultOutput(first));
    EXPECT_EQ(snapshot().defaultDevice, first) << "shown at once";
    EXPECT_TRUE(processEventsUntil(
        [&] { return daemon.pactl({u"get-default-sink"_qs}).value_or(QString()).trimmed() == u"test"_qs; }));
    EXPECT_FALSE(hardware->setDefaultOutput(9999));
    EXPECT_FALSE(hardware->setVolume(9999, 0.5));
}

TEST_F(PulseAudioHardwareTest, KillingTheServerGivesUnavailableAndARestartIsPickedUp) {
    ASSERT_TRUE(waitReady());
    take();
    daemon.kill();
    ASSERT_TRUE(processEventsUntil([&] { return snapshot().status == AudioHardwareStatus::unavailable; }));
    EXPECT_TRUE(snapshot().devices.isEmpty());
    EXPECT_EQ(snapshot().defaultDevice, 0u);
    EXPECT_TRUE(saw(Kind::statusChanged));
    EXPECT_FALSE(hardware->setVolume(1, 0.5));

    ASSERT_TRUE(daemon.start()) << qPrintable(daemon.error());
    ASSERT_TRUE(waitReady());
    EXPECT_EQ(snapshot().defaultKey, u"test"_qs);
}

TEST(PulseAudioHardwareWithoutServerTest, NoServerAnswersUnavailable) {
    PulseAudioHardware hardware(
        {.server = u"unix:"_qs + qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/pulse/native"_qs});
    ASSERT_TRUE(
        processEventsUntil([&] { return hardware.snapshot().status == AudioHardwareStatus::unavailable; }));
    EXPECT_TRUE(hardware.snapshot().devices.isEmpty());
    EXPECT_FALSE(hardware.setDefaultOutput(1));
}
