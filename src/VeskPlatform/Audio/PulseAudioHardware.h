#pragma once

#include "VeskPlatform/Audio/AudioHardware.h"

#include <memory>

namespace vesk {

// The sound output through libpulse (PulseAudio, or PipeWire's PulseAudio server) on
// libpulse's own threaded main loop. Sinks are the output devices; the default sink is
// the default output. It never starts a sound server of its own: without one it reports
// unavailable and tries again on a back-off timer, as it does when the server goes away.
class PulseAudioHardware final : public AudioHardware {
public:
    struct Options {
        // The server to use; empty means the user's default server.
        QString server;
        // Delays between connection attempts double from the first to the longest.
        double firstRetryDelay = 0.5;
        double longestRetryDelay = 30.0;
    };

    PulseAudioHardware();
    explicit PulseAudioHardware(Options options);
    ~PulseAudioHardware() override;
    PulseAudioHardware(const PulseAudioHardware&) = delete;
    PulseAudioHardware& operator=(const PulseAudioHardware&) = delete;

    AudioHardwareSnapshot snapshot() const override;
    bool setVolume(quint32 device, double volume) override;
    bool setDefaultOutput(quint32 device) override;
    int addObserver(Observer observer) override;
    void removeObserver(int token) override;

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

} // namespace vesk
