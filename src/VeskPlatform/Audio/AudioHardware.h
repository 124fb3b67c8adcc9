#pragma once

#include "VeskPlatform/Audio/AudioTransport.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace vesk {

// One output device as the sound server last reported it. `id` is never 0 (0 means
// "no device"); ids are only stable while the connection to the server lasts, `key`
// stays the same across reconnects.
struct AudioHardwareDevice {
    quint32 id = 0;
    QString key;
    QString name;
    AudioTransport transport = AudioTransport::other;
    // Loudest channel as a fraction of the device's normal volume, at most 1.
    std::optional<double> volume;
    bool isMuted = false;

    friend bool operator==(const AudioHardwareDevice&, const AudioHardwareDevice&) = default;
};

enum class AudioHardwareStatus {
    waiting,     // no answer from the sound server yet
    ready,       // connected, devices and the default output read
    unavailable, // no sound server, or the connection was lost
};

struct AudioHardwareSnapshot {
    AudioHardwareStatus status = AudioHardwareStatus::waiting;
    quint32 defaultDevice = 0;
    QString defaultKey;
    QList<AudioHardwareDevice> devices;

    const AudioHardwareDevice* device(quint32 id) const;
    friend bool operator==(const AudioHardwareSnapshot&, const AudioHardwareSnapshot&) = default;
};

struct AudioHardwareEvent {
    enum class Kind {
        statusChanged,
        defaultDeviceChanged,
        // Volume or mute of `device` changed on the server.
        deviceChanged,
        devicesChanged,
    };
    Kind kind = Kind::statusChanged;
    quint32 device = 0;
};

// The machine's sound output: the default output device, its volume and mute, the list
// of output devices. Reads answer from a snapshot kept up to date by the backend and
// never block; observers are called on the backend's own thread and must only hand
// the event on.
class AudioHardware {
public:
    using Observer = std::function<void(const AudioHardwareEvent&)>;

    virtual ~AudioHardware() = default;

    virtual AudioHardwareSnapshot snapshot() const = 0;
    // Asks the server to set the device's volume (0...1, keeping the balance between
    // channels); the snapshot shows the new value at once. False when the device is
    // unknown or the server is not connected.
    virtual bool setVolume(quint32 device, double volume) = 0;
    // Asks the server to make the device the default output; the snapshot shows it at
    // once. False when the device is unknown or the server is not connected.
    virtual bool setDefaultOutput(quint32 device) = 0;

    virtual int addObserver(Observer observer) = 0;
    virtual void removeObserver(int token) = 0;

    // The process-wide hardware: one connection to the sound server per process.
    static AudioHardware& shared();
    // Tests replace the shared hardware with a fake; nullptr restores the real one.
    static void setShared(AudioHardware* hardware);
};

} // namespace vesk
