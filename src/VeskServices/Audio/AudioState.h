#pragma once

#include "VeskPlatform/Audio/AudioTransport.h"

#include <QString>

namespace vesk {

// The default output device as the audio service reports it.
struct AudioState {
    using Transport = AudioTransport;

    // 0...1; 0 when it cannot be read.
    double volume = 0;
    bool isMuted = false;
    // Empty when the name cannot be read.
    QString deviceName;
    Transport transport = Transport::builtIn;
    // True when the device's volume could be read (and so can be set).
    bool canSetVolume = false;

    // -60 when the volume is 0 or less, else 20·log10(volume), never below -60.
    double decibels() const;

    friend bool operator==(const AudioState&, const AudioState&) = default;
};

// The symbol drawn for the transport in activities.
QString symbol(AudioState::Transport transport);

// One output device in the device list.
struct AudioOutputDevice {
    quint32 id = 0;
    QString name;
    AudioState::Transport transport = AudioState::Transport::other;
    bool isDefault = false;

    // The symbol drawn for the device in the device list (differs from the transport's).
    QString symbol() const;

    friend bool operator==(const AudioOutputDevice&, const AudioOutputDevice&) = default;
};

} // namespace vesk
