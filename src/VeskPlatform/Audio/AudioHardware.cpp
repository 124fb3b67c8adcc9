#include "VeskPlatform/Audio/AudioHardware.h"

#include "VeskPlatform/Audio/PulseAudioHardware.h"

#include <atomic>

namespace vesk {

const AudioHardwareDevice* AudioHardwareSnapshot::device(quint32 id) const {
    if (id == 0) return nullptr;
    for (const AudioHardwareDevice& candidate : devices)
        if (candidate.id == id) return &candidate;
    return nullptr;
}

namespace {
std::atomic<AudioHardware*> installedHardware{nullptr};
} // namespace

AudioHardware& AudioHardware::shared() {
    if (AudioHardware* installed = installedHardware.load()) return *installed;
    static PulseAudioHardware pulse;
    return pulse;
}

void AudioHardware::setShared(AudioHardware* hardware) {
    installedHardware.store(hardware);
}

} // namespace vesk
