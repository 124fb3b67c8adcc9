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
    void SetUp() override { ASSERT_TRUE(daemon.start()) << qPrintable(daemon.error()); }

    std::unique_ptr<PulseAudioHardware> connect() {
        auto hardware = std::make_unique<PulseAudioHardware>(PulseAudioHardware::Options{
            .server = daemon.server(), .firstRetryDelay = 0.1, .longestRetryDelay = 0.4});
        hardware->addObserver([this](const AudioHardwareEvent& event) {
            std::lock_guard lock(mutex);
            events.push_back(event);
        });
        return hardware;
    }

    bool sawEvent(Kind kind) {
        std::lock_guard lock(mutex);
        return std::any_of(events.begin(), events.end(),
                           [kind](const AudioHardwareEvent& e) { return e.kind == kind; });
    }

    void clearEvents() {
        std::lock_guard lock(mutex);
        events.clear();
    }

    static bool ready(const AudioHardware& hardware) {
        return hardware.snapshot().status == AudioHardwareStatus::ready;
    }

    static const AudioHardwareDevice* sink(const AudioHardwareSnapshot& snapshot, const QString& key) {
        for (const AudioHardwareDevice& device : snapshot.devices)
            if (device.key == key) return &device;
        return nullptr;
    }

    test::PulseDaemon daemon;
    std::mutex mutex;
    QList<AudioHardwareEvent> events;
};

} // namespace

TEST_F(PulseAudioHardwareTest, FirstAnswerReadsTheDefaultSink) {
    auto hardware = connect();
    ASSERT_TRUE(processEventsUntil([&] { return ready(*hardware); }, 10000));
    EXPECT_TRUE(sawEvent(Kind::statusChanged));
    const AudioHardwareSnapshot snapshot = hardware->snapshot();
    ASSERT_EQ(snapshot.devices.size(), 1);
    const AudioHardwareDevice& device = snapshot.devices.front();
    EXPECT_NE(device.id, 0u);
    EXPECT_EQ(snapshot.defaultDevice, device.id);
    EXPECT_EQ(snapshot.defaultKey, QStringLiteral("test"));
    EXPECT_EQ(device.name, QStringLiteral("Test"));
    EXPECT_EQ(device.transport, AudioTransport::virtual_);
    ASSERT_TRUE(device.volume.has_value());
    EXPECT_DOUBLE_EQ(*device.volume, 1.0);
    EXPECT_FALSE(device.isMuted);
}

TEST_F(PulseAudioHardwareTest, VolumeAndMuteChangedWithPactlArriveAsEvents) {
    auto hardware = connect();
    ASSERT_TRUE(processEventsUntil([&] { return ready(*hardware); }, 10000));
    const quint32 id = hardware->snapshot().defaultDevice;
    clearEvents();

    ASSERT_TRUE(
        daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test"), QStringLiteral("40%")}));
    ASSERT_TRUE(processEventsUntil([&] {
        const auto volume = hardware->snapshot().devices.value(0).volume;
        return volume && std::abs(*volume - 0.4) < 0.001;
    }));
    EXPECT_TRUE(sawEvent(Kind::deviceChanged));

    clearEvents();
    ASSERT_TRUE(daemon.pactl({QStringLiteral("set-sink-mute"), QStringLiteral("test"), QStringLiteral("1")}));
    ASSERT_TRUE(processEventsUntil([&] { return hardware->snapshot().devices.value(0).isMuted; }));
    std::lock_guard lock(mutex);
    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events.back().kind, Kind::deviceChanged);
    EXPECT_EQ(events.back().device, id);
}

TEST_F(PulseAudioHardwareTest, VolumeSetThroughTheBackendIsWhatTheServerHolds) {
    auto hardware = connect();
    ASSERT_TRUE(processEventsUntil([&] { return ready(*hardware); }, 10000));
    const quint32 id = hardware->snapshot().defaultDevice;

    ASSERT_TRUE(hardware->setVolume(id, 0.25));
    // The cache shows the value at once, before the server has answered.
    EXPECT_DOUBLE_EQ(*hardware->snapshot().device(id)->volume, 0.25);
    ASSERT_TRUE(processEventsUntil(
        [&] { return daemon.rawVolumes(QStringLiteral("test")).value(0) == PA_VOLUME_NORM / 4; }));
    EXPECT_EQ(daemon.rawVolumes(QStringLiteral("test")),
              (QList<quint32>{PA_VOLUME_NORM / 4, PA_VOLUME_NORM / 4}));
    EXPECT_TRUE(processEventsUntil([&] { return sawEvent(Kind::deviceChanged); }));
}

TEST_F(PulseAudioHardwareTest, TheLoudestChannelIsReadAndTheBalanceIsKeptOnWrite) {
    auto hardware = connect();
    ASSERT_TRUE(processEventsUntil([&] { return ready(*hardware); }, 10000));
    const quint32 id = hardware->snapshot().defaultDevice;

    ASSERT_TRUE(daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test"),
                              QString::number(PA_VOLUME_NORM / 2), QString::number(PA_VOLUME_NORM / 4)}));
    ASSERT_TRUE(processEventsUntil([&] {
        const auto volume = hardware->snapshot().device(id)->volume;
        return volume && *volume == 0.5;
    }));

    ASSERT_TRUE(hardware->setVolume(id, 1.0));
    ASSERT_TRUE(processEventsUntil(
        [&] { return daemon.rawVolumes(QStringLiteral("test")).value(0) == PA_VOLUME_NORM; }));
    EXPECT_EQ(daemon.rawVolumes(QStringLiteral("test")),
              (QList<quint32>{PA_VOLUME_NORM, PA_VOLUME_NORM / 2}));
}

TEST_F(PulseAudioHardwareTest, ABoostedSinkReadsAsFullAndFullVolumeNeverLowersIt) {
    auto hardware = connect();
    ASSERT_TRUE(processEventsUntil([&] { return ready(*hardware); }, 10000));
    const quint32 id = hardware->snapshot().defaultDevice;

    ASSERT_TRUE(
        daemon.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test"), QStringLiteral("150%")}));
    ASSERT_TRUE(processEventsUntil([&] { return sawEvent(Kind::deviceChanged); }));
    EXPECT_DOUBLE_EQ(*hardware->snapshot().device(id)->volume, 1.0);

    EXPECT_TRUE(hardware->setVolume(id, 1.0));
    test::processEventsFor(300);
    EXPECT_EQ(daemon.rawVolumes(QStringLiteral("test")).value(0), quint32(PA_VOLUME_NORM * 3 / 2));
}

TEST_F(PulseAudioHardwareTest, ASecondSinkMadeDefaultIsADeviceChange) {
    auto hardware = connect();
    ASSERT_TRUE(processEventsUntil([&] { return ready(*hardware); }, 10000));
    const quint32 first = hardware->snapshot().defaultDevice;
    clearEvents();

    ASSERT_TRUE(daemon.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                              QStringLiteral("sink_name=second"),
                              QStringLiteral("sink_properties=device.description=Second")}));
    ASSERT_TRUE(processEventsUntil([&] { return hardware->snapshot().devices.size() == 2; }));
    EXPECT_TRUE(sawEvent(Kind::devicesChanged));
    EXPECT_EQ(hardware->snapshot().defaultDevice, first);

    ASSERT_TRUE(daemon.pactl({QStringLiteral("set-default-sink"), QStringLiteral("second")}));
    ASSERT_TRUE(processEventsUntil([&] { return sawEvent(Kind::defaultDeviceChanged); }));
    const AudioHardwareSnapshot snapshot = hardware->snapshot();
    EXPECT_EQ(snapshot.defaultKey, QStringLiteral("second"));
    ASSERT_NE(sink(snapshot, QStringLiteral("second")), nullptr);
    EXPECT_EQ(snapshot.defaultDevice, sink(snapshot, QStringLiteral("second"))->id);
    EXPECT_EQ(sink(snapshot, QStringLiteral("second"))->name, QStringLiteral("Second"));
}

TEST_F(PulseAudioHardwareTest, SettingTheDefaultOutputShowsAtOnceAndReachesTheServer) {
    auto hardware = connect();
    ASSERT_TRUE(daemon.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                              QStringLiteral("sink_name=second")}));
    ASSERT_TRUE(processEventsUntil([&] { return hardware->snapshot().devices.size() == 2; }, 10000));
    const quint32 second = sink(hardware->snapshot(), QStringLiteral("second"))->id;

    ASSERT_TRUE(hardware->setDefaultOutput(second));
    EXPECT_EQ(hardware->snapshot().defaultDevice, second);
    EXPECT_TRUE(processEventsUntil([&] {
        return daemon.pactl({QStringLiteral("get-default-sink")}).value_or(QString()).trimmed() ==
               QStringLiteral("second");
    }));
    EXPECT_FALSE(hardware->setDefaultOutput(9999));
    EXPECT_FALSE(hardware->setVolume(9999, 0.5));
}

TEST_F(PulseAudioHardwareTest, KillingTheServerGivesUnavailableAndARestartIsPickedUp) {
    auto hardware = connect();
    ASSERT_TRUE(processEventsUntil([&] { return ready(*hardware); }, 10000));
    clearEvents();

    daemon.kill();
    ASSERT_TRUE(
        processEventsUntil([&] { return hardware->snapshot().status == AudioHardwareStatus::unavailable; }));
    const AudioHardwareSnapshot lost = hardware->snapshot();
    EXPECT_TRUE(lost.devices.isEmpty());
    EXPECT_EQ(lost.defaultDevice, 0u);
    EXPECT_TRUE(sawEvent(Kind::statusChanged));
    EXPECT_FALSE(hardware->setVolume(1, 0.5));

    ASSERT_TRUE(daemon.start()) << qPrintable(daemon.error());
    ASSERT_TRUE(processEventsUntil([&] { return ready(*hardware); }, 15000));
    EXPECT_EQ(hardware->snapshot().defaultKey, QStringLiteral("test"));
}

TEST(PulseAudioHardwareWithoutServerTest, NoServerAnswersUnavailable) {
    // A runtime folder with no server in it.
    PulseAudioHardware hardware(PulseAudioHardware::Options{
        .server = QStringLiteral("unix:") + QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")) +
                  QStringLiteral("/pulse/native")});
    ASSERT_TRUE(
        processEventsUntil([&] { return hardware.snapshot().status == AudioHardwareStatus::unavailable; }));
    EXPECT_TRUE(hardware.snapshot().devices.isEmpty());
    EXPECT_FALSE(hardware.setDefaultOutput(1));
}
