#pragma once

#include "VeskKit/Foundation/NewestStream.h"
#include "VeskPlatform/Audio/AudioHardware.h"
#include "VeskServices/Audio/AudioState.h"

#include <QList>

#include <memory>
#include <optional>

namespace vesk {

class Scheduler;

// Watches the default output device and publishes an AudioState whenever the default
// device, its volume or its mute changes. Work runs on the queue
// "app.tessarn.notch.audio"; reads and writes answer at once from the hardware's cache.
class AudioService {
public:
    // The queue runs on `queueScheduler` when given (tests), else on its own thread.
    explicit AudioService(AudioHardware& hardware = AudioHardware::shared(),
                          Scheduler* queueScheduler = nullptr);
    ~AudioService();
    AudioService(const AudioService&) = delete;
    AudioService& operator=(const AudioService&) = delete;

    // Newest 2 states. The first after start() is the state at start, published once
    // the sound server has first answered.
    NewestStream<AudioState> states() const;
    // Whether a volume can be set now, each time that changes after start() without it
    // being a new state to announce: the sound server or the last output leaving, or
    // coming back. Newest only.
    NewestStream<bool> settableChanges() const;

    void start();
    void stop();

    // The watched device's state; callable from any thread.
    AudioState currentState() const;
    // Clamps to 0...1 (not-a-number counts as 0); nothing without a device.
    void setVolume(double volume);
    // The default output device being watched; 0 means none.
    quint32 deviceID() const;

    // Every output device, in the sound server's order, over the shared hardware.
    static QList<AudioOutputDevice> outputDevices();
    static QList<AudioOutputDevice> outputDevices(const AudioHardware& hardware);
    // Makes the device the default output; true when the request was made.
    static bool setDefaultOutput(quint32 device);
    static bool setDefaultOutput(AudioHardware& hardware, quint32 device);

    // Single reads of one device of the shared hardware.
    static std::optional<double> volume(quint32 device);
    static std::optional<QString> name(quint32 device);
    static AudioState::Transport transport(quint32 device);

    struct Core;

private:
    std::shared_ptr<Core> m_core;
    int m_observerToken = 0;
};

} // namespace vesk
