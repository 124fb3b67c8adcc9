#include "VeskServices/Audio/AudioState.h"

#include <algorithm>
#include <cmath>

namespace vesk {

double AudioState::decibels() const {
    if (!(volume > 0)) return -60;
    return std::max(-60.0, 20.0 * std::log10(volume));
}

QString symbol(AudioState::Transport transport) {
    using T = AudioState::Transport;
    switch (transport) {
    case T::bluetooth:
        return QStringLiteral("airpods.gen3");
    case T::usb:
        return QStringLiteral("hifispeaker.fill");
    case T::hdmi:
    case T::displayPort:
        return QStringLiteral("tv");
    case T::airPlay:
        return QStringLiteral("airplayaudio");
    case T::builtIn:
    case T::virtual_:
    case T::other:
        break;
    }
    return QStringLiteral("speaker.wave.2.fill");
}

QString AudioOutputDevice::symbol() const {
    using T = AudioState::Transport;
    switch (transport) {
    case T::builtIn:
        return QStringLiteral("laptopcomputer");
    case T::bluetooth:
        return QStringLiteral("airpods.gen3");
    case T::usb:
        return QStringLiteral("cable.connector");
    case T::hdmi:
    case T::displayPort:
        return QStringLiteral("display");
    case T::airPlay:
        return QStringLiteral("airplayaudio");
    case T::virtual_:
        return QStringLiteral("waveform.circle");
    case T::other:
        break;
    }
    return QStringLiteral("speaker.wave.2");
}

} // namespace vesk
