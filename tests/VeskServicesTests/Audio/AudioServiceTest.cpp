#include "VeskServices/Audio/AudioService.h"

#include "support/Audio/FakeAudioHardware.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vesk;
using vesk::test::FakeAudioHardware;
using Kind = AudioHardwareEvent::Kind;

namespace {

AudioHardwareDevice speakers(double volume = 0.5) {
    return {.id = 1,
            .key = QStringLiteral("alsa_output.pci.analog-stereo"),
            .name = QStringLiteral("Speakers"),
            .transport = AudioTransport::builtIn,
            .volume = volume,
            .isMuted = false};
}

AudioHardwareDevice headphones(double volume = 0.3) {
    return {.id = 2,
            .key = QStringLiteral("bluez_sink.00_11"),
            .name = QStringLiteral("Headphones"),
            .transport = AudioTransport::bluetooth,
            .volume = volume,
            .isMuted = false};
}

class AudioServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        service = std::make_unique<AudioService>(hardware, &scheduler);
        service->states().consume(
            nullptr, [this](AudioState state) { published.push_back(state); }, scheduler);
    }

    void settle() { scheduler.runPending(); }

    void setDevice(quint32 id, const std::function<void(AudioHardwareDevice&)>& edit,
                   Kind kind = Kind::deviceChanged) {
        hardware.change(
            [&](AudioHardwareSnapshot& snapshot) {
                for (AudioHardwareDevice& device : snapshot.devices)
                    if (device.id == id) edit(device);
            },
            {kind, id});
        settle();
    }

    void loseServer() {
        hardware.change(
            [](AudioHardwareSnapshot& snapshot) {
                snapshot = AudioHardwareSnapshot{};
                snapshot.status = AudioHardwareStatus::unavailable;
            },
            {Kind::statusChanged, 0});
        settle();
    }

    void returnServer(QList<AudioHardwareDevice> devices) {
        hardware.setReady(std::move(devices));
        hardware.announce({Kind::statusChanged, 0});
        settle();
    }

    test::ManualScheduler scheduler;
    FakeAudioHardware hardware;
    std::unique_ptr<AudioService> service;
    QList<AudioState> published;
};

} // namespace

TEST_F(AudioServiceTest, FirstStateWaitsForTheServersFirstAnswer) {
    service->start();
    settle();
    EXPECT_TRUE(published.isEmpty()) << "nothing may be published before the server has answered";

    returnServer({speakers(0.5)});
    ASSERT_EQ(published.size(), 1);
    EXPECT_EQ(published[0], (AudioState{.volume = 0.5,
                                        .isMuted = false,
                                        .deviceName = QStringLiteral("Speakers"),
                                        .transport = AudioTransport::builtIn,
                                        .canSetVolume = true}));
    EXPECT_EQ(service->deviceID(), 1u);
}

// No server primes with the no-device state, which cannot set the volume (a volume key
// must not be swallowed while nothing would change); a server found later is adopted
// quietly.
TEST_F(AudioServiceTest, NoSoundServerPrimesWithNoDeviceAndALaterServerIsAdoptedQuietly) {
    hardware.change([](AudioHardwareSnapshot& s) { s.status = AudioHardwareStatus::unavailable; },
                    {Kind::statusChanged, 0});
    service->start();
    settle();
    ASSERT_EQ(published.size(), 1);
    EXPECT_EQ(published[0], (AudioState{.volume = 0,
                                        .isMuted = false,
                                        .deviceName = {},
                                        .transport = AudioTransport::builtIn,
                                        .canSetVolume = false}));
    service->setVolume(0.5);
    EXPECT_TRUE(hardware.volumeRequests.isEmpty());

    returnServer({speakers(0.5)});
    EXPECT_EQ(published.size(), 1);
    EXPECT_EQ(service->currentState().deviceName, QStringLiteral("Speakers"));
}

TEST_F(AudioServiceTest, TheDefaultOutputsChangesPublishAndASwitchFollowsTheNewDevice) {
    hardware.setReady({speakers(0.5), headphones(0.3)});
    service->start();
    settle();
    published.clear();

    setDevice(1, [](AudioHardwareDevice& d) { d.volume = 0.25; });
    setDevice(1, [](AudioHardwareDevice& d) { d.isMuted = true; });
    setDevice(2, [](AudioHardwareDevice& d) { d.volume = 0.9; });
    ASSERT_EQ(published.size(), 2) << "another device's change is not the default output's";
    EXPECT_DOUBLE_EQ(published[0].volume, 0.25);
    EXPECT_FALSE(published[0].isMuted);
    EXPECT_TRUE(published[1].isMuted);

    published.clear();
    EXPECT_TRUE(AudioService::setDefaultOutput(hardware, 2));
    settle();
    ASSERT_EQ(published.size(), 1);
    EXPECT_EQ(published[0].deviceName, QStringLiteral("Headphones"));
    EXPECT_EQ(published[0].transport, AudioTransport::bluetooth);
    EXPECT_EQ(service->deviceID(), 2u);
    setDevice(1, [](AudioHardwareDevice& d) { d.volume = 0.1; });
    EXPECT_EQ(published.size(), 1) << "the old device is no longer watched";
    setDevice(2, [](AudioHardwareDevice& d) { d.volume = 0.6; });
    ASSERT_EQ(published.size(), 2);
    EXPECT_DOUBLE_EQ(published[1].volume, 0.6);
}

TEST_F(AudioServiceTest,
       LosingTheServerReportsNoDeviceWithoutPublishingAndReturningPublishesOnlyADifferentOutput) {
    hardware.setReady({speakers(0.5), headphones(0.3)});
    service->start();
    settle();
    published.clear();

    loseServer();
    EXPECT_TRUE(published.isEmpty()) << "a lost server is not a volume of 0";
    EXPECT_EQ(service->deviceID(), 0u);
    EXPECT_FALSE(service->currentState().canSetVolume);

    // Same default output after the restart, under a new id: quiet.
    AudioHardwareDevice renumbered = speakers(0.5);
    renumbered.id = 7;
    returnServer({renumbered});
    EXPECT_TRUE(published.isEmpty());
    EXPECT_EQ(service->deviceID(), 7u);
    EXPECT_TRUE(service->currentState().canSetVolume);

    loseServer();
    returnServer({headphones(0.3), speakers(0.5)});
    ASSERT_EQ(published.size(), 1);
    EXPECT_EQ(published[0].deviceName, QStringLiteral("Headphones"));
}

TEST_F(AudioServiceTest, SetVolumeClampsAndAccumulatesOnTheCachedValue) {
    hardware.setReady({speakers(0.5)});
    service->start();
    settle();

    struct Case {
        double asked;
        double sent;
    };
    const Case cases[] = {
        {1.7, 1.0}, {-0.2, 0.0}, {std::numeric_limits<double>::quiet_NaN(), 0.0}, {0.5625, 0.5625}};
    for (const Case& c : cases) {
        hardware.volumeRequests.clear();
        service->setVolume(c.asked);
        ASSERT_EQ(hardware.volumeRequests.size(), 1);
        EXPECT_EQ(hardware.volumeRequests[0].first, 1u);
        EXPECT_DOUBLE_EQ(hardware.volumeRequests[0].second, c.sent) << "asked " << c.asked;
    }

    // Key repeats read the value just set, not a stale one.
    service->setVolume(0.5);
    for (int i = 0; i < 3; ++i)
        service->setVolume(service->currentState().volume + 0.0625);
    EXPECT_DOUBLE_EQ(service->currentState().volume, 0.6875);
}

TEST_F(AudioServiceTest, ADeviceWithoutAReadableVolumeCannotBeSet) {
    AudioHardwareDevice device = speakers();
    device.volume.reset();
    hardware.setReady({device});
    service->start();
    settle();
    const AudioState state = service->currentState();
    EXPECT_DOUBLE_EQ(state.volume, 0);
    EXPECT_FALSE(state.canSetVolume);
    EXPECT_FALSE(state.isMuted);
}

TEST_F(AudioServiceTest, StartPrimesOnceAndStopIgnoresChanges) {
    hardware.setReady({speakers(0.5)});
    service->start();
    settle();
    ASSERT_EQ(published.size(), 1);
    service->stop();
    settle();
    published.clear();

    setDevice(1, [](AudioHardwareDevice& d) { d.volume = 0.2; });
    EXPECT_TRUE(published.isEmpty());

    service->start();
    settle();
    ASSERT_EQ(published.size(), 1);
    EXPECT_DOUBLE_EQ(published[0].volume, 0.2);
}

TEST_F(AudioServiceTest, DestroyingTheServiceRemovesItsListener) {
    EXPECT_EQ(hardware.observerCount(), 1);
    service.reset();
    EXPECT_EQ(hardware.observerCount(), 0);
    hardware.announce({Kind::statusChanged, 0});
    settle(); // work queued for the gone service does nothing
}

TEST(AudioOutputDevicesTest, ListsNamedDevicesInServerOrderAndStaticReadsUseTheSharedHardware) {
    FakeAudioHardware hardware;
    AudioHardwareDevice unnamed = speakers();
    unnamed.id = 3;
    unnamed.name.clear();
    hardware.setReady({speakers(0.4), unnamed, headphones()});
    hardware.setDefaultOutput(2);
    const QList<AudioOutputDevice> devices = AudioService::outputDevices(hardware);
    EXPECT_EQ(devices,
              (QList<AudioOutputDevice>{{1, QStringLiteral("Speakers"), AudioTransport::builtIn, false},
                                        {2, QStringLiteral("Headphones"), AudioTransport::bluetooth, true}}));

    AudioHardware::setShared(&hardware);
    EXPECT_EQ(AudioService::outputDevices(), devices);
    EXPECT_EQ(AudioService::volume(1), std::optional<double>(0.4));
    EXPECT_EQ(AudioService::name(2), std::optional<QString>(QStringLiteral("Headphones")));
    EXPECT_EQ(AudioService::transport(2), AudioTransport::bluetooth);
    EXPECT_EQ(AudioService::transport(9), AudioTransport::other);
    EXPECT_FALSE(AudioService::name(9).has_value());
    EXPECT_TRUE(AudioService::setDefaultOutput(2));
    EXPECT_FALSE(AudioService::setDefaultOutput(9));
    AudioHardware::setShared(nullptr);
}

TEST(AudioStateTest, Decibels) {
    struct Case {
        double volume;
        double decibels;
    };
    const Case cases[] = {{0, -60}, {-0.5, -60}, {0.001, -60}, {0.0001, -60}, {0.5, -6.0206}, {1, 0}};
    for (const Case& c : cases) {
        AudioState state;
        state.volume = c.volume;
        EXPECT_NEAR(state.decibels(), c.decibels, 1e-4) << "volume " << c.volume;
    }
}
