#include "VeskPlatform/Audio/PulseSinkTransport.h"
#include "VeskKit/Foundation/StepLevel.h"
#include "VeskPlatform/Audio/PulseVolume.h"

#include <gtest/gtest.h>

#include <pulse/def.h>

#include <cmath>

using namespace vesk;

namespace {

PulseSinkFacts sink(const char* name, std::initializer_list<std::pair<const char*, const char*>> properties,
                    std::optional<quint32> portType = std::nullopt, const char* portName = "",
                    const char* portDescription = "") {
    PulseSinkFacts facts;
    facts.name = QString::fromLatin1(name);
    for (const auto& [key, value] : properties)
        facts.properties.insert(QString::fromLatin1(key), QString::fromLatin1(value));
    facts.activePortType = portType;
    facts.activePortName = QString::fromLatin1(portName);
    facts.activePortDescription = QString::fromLatin1(portDescription);
    return facts;
}

} // namespace

TEST(PulseSinkTransportTest, SinksMapToTheTransportAUserRecognises) {
    struct Row {
        const char* what;
        PulseSinkFacts facts;
        AudioTransport expected;
    };
    const Row rows[] = {
        {"PulseAudio Bluetooth sink",
         sink("bluez_sink.00_11_22.a2dp_sink", {{"device.api", "bluez"}, {"device.bus", "bluetooth"}}),
         AudioTransport::bluetooth},
        {"PipeWire Bluetooth node", sink("bluez_output.00_11_22.1", {{"device.api", "bluez5"}}),
         AudioTransport::bluetooth},
        {"HDMI port type",
         sink("alsa_output.pci-0000_00_1f.3.hdmi-stereo", {{"device.bus", "pci"}}, PA_DEVICE_PORT_TYPE_HDMI,
              "hdmi-output-0", "HDMI / DisplayPort"),
         AudioTransport::hdmi},
        {"HDMI profile without port type",
         sink("alsa_output.pci.hdmi", {{"device.bus", "pci"}, {"device.profile.name", "hdmi-stereo"}}),
         AudioTransport::hdmi},
        {"DisplayPort port",
         sink("alsa_output.pci.dp", {{"device.bus", "pci"}}, PA_DEVICE_PORT_TYPE_HDMI, "hdmi-output-1",
              "DisplayPort 2"),
         AudioTransport::displayPort},
        {"AirPlay (RAOP)", sink("raop_output.Living-Room.local", {{"raop.ip", "192.0.2.1"}}),
         AudioTransport::airPlay},
        {"USB card",
         sink("alsa_output.usb-Focusrite.analog-stereo", {{"device.bus", "usb"}, {"device.api", "alsa"}}),
         AudioTransport::usb},
        {"USB port type", sink("alsa_output.x", {}, PA_DEVICE_PORT_TYPE_USB), AudioTransport::usb},
        {"null sink", sink("test", {{"device.class", "abstract"}}), AudioTransport::virtual_},
        {"filter sink", sink("echo-cancel", {{"device.class", "filter"}}), AudioTransport::virtual_},
        {"PipeWire null sink", sink("my-sink", {{"factory.name", "support.null-audio-sink"}}),
         AudioTransport::virtual_},
        {"network tunnel", sink("tunnel.host.local.sink", {{"tunnel.remote.server", "host"}}),
         AudioTransport::other},
        {"built-in speakers",
         sink("alsa_output.pci-0000_00_1f.3.analog-stereo",
              {{"device.bus", "pci"}, {"device.class", "sound"}}, PA_DEVICE_PORT_TYPE_SPEAKER,
              "analog-output-speaker"),
         AudioTransport::builtIn},
        {"built-in SoC card", sink("alsa_output.platform-sound.stereo", {{"device.bus", "platform"}}),
         AudioTransport::builtIn},
        {"internal form factor", sink("alsa_output.x", {{"device.form_factor", "internal"}}),
         AudioTransport::builtIn},
        {"nothing known", sink("mystery", {}), AudioTransport::other},
    };
    for (const Row& row : rows)
        EXPECT_EQ(transportForSink(row.facts), row.expected) << row.what;
}

// The daemon test covers reading the loudest channel and scaling; these are the edges.
TEST(PulseVolumeTest, EdgesOfReadingAndScaling) {
    pa_cvolume volume;
    pa_cvolume_init(&volume);
    EXPECT_FALSE(pulse::shownVolume(volume).has_value()) << "no channels";

    pa_cvolume_set(&volume, 2, PA_VOLUME_MUTED);
    const auto fromSilence = pulse::volumeForFraction(volume, 0.5);
    ASSERT_TRUE(fromSilence.has_value());
    EXPECT_EQ(fromSilence->values[0], PA_VOLUME_NORM / 2);
    EXPECT_EQ(fromSilence->values[1], PA_VOLUME_NORM / 2);

    pa_cvolume_set(&volume, 2, PA_VOLUME_NORM * 3 / 2);
    EXPECT_FALSE(pulse::volumeForFraction(volume, 1.0).has_value());
    const auto lowered = pulse::volumeForFraction(volume, 0.9375);
    ASSERT_TRUE(lowered.has_value()) << "a volume-down key still lowers a boosted sink";
    EXPECT_EQ(lowered->values[0], pa_volume_t(0.9375 * PA_VOLUME_NORM + 0.5));
}

// The server keeps a whole percentage p as the step just below p of normal (what
// `pactl set-sink-volume ... p%` stores) or as the nearest step (a desktop's slider); a
// desktop's keys add 5 %, 6 % or 1 % of normal per press, from anywhere. pactl prints
// each as its nearest whole percentage, halves up.
TEST(PulseVolumeTest, WholePercentagesReadAsSetAndWriteBackToTheSameStep) {
    std::vector<pa_volume_t> stored;
    for (int p = 0; p <= 100; ++p)
        stored.insert(stored.end(), {p * 65536u / 100, pa_volume_t(std::lround(p * 655.36))});
    for (pa_volume_t step : {3276u, 3932u, 655u})
        for (pa_volume_t from : {0u, 22937u})
            for (pa_volume_t v = from; v <= PA_VOLUME_NORM; v += step)
                stored.push_back(v);
    pa_cvolume volume;
    for (pa_volume_t v : stored) {
        pa_cvolume_set(&volume, 2, v);
        const double level = pulse::shownVolume(volume).value_or(-1);
        EXPECT_EQ(percentValue(level), std::int64_t(v * 100 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM) << v;
        // Nothing to write leaves the sink alone too.
        EXPECT_EQ(pulse::volumeForFraction(volume, level).value_or(volume).values[1], v) << v;
    }
    pa_cvolume_set(&volume, 2, PA_VOLUME_NORM * 3 / 16);
    EXPECT_EQ(percentValue(*pulse::shownVolume(volume)), 19)
        << "a key's 1/16 steps read as pactl prints them";
    pa_cvolume_set(&volume, 2, PA_VOLUME_NORM - 1);
    EXPECT_EQ(pulse::volumeForFraction(volume, *pulse::shownVolume(volume) + 0.0625)->values[0],
              PA_VOLUME_NORM)
        << "a key step up from what reads 100 % reaches full";
}
