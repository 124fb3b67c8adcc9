#include "VeskServices/Audio/AudioService.h"

#include "VeskKit/Foundation/SerialQueue.h"

#include <atomic>
#include <cmath>

namespace vesk {

namespace {

AudioState stateOf(const AudioHardwareSnapshot& snapshot, quint32 deviceID) {
    if (deviceID == 0) {
        // No device: nothing to set, so volume keys stay with the system.
        return AudioState{.volume = 0,
                          .isMuted = false,
                          .deviceName = {},
                          .transport = AudioState::Transport::builtIn,
                          .canSetVolume = false};
    }
    const AudioHardwareDevice* device = snapshot.device(deviceID);
    if (!device) {
        return AudioState{.volume = 0,
                          .isMuted = false,
                          .deviceName = {},
                          .transport = AudioState::Transport::other,
                          .canSetVolume = false};
    }
    return AudioState{.volume = device->volume.value_or(0),
                      .isMuted = device->isMuted,
                      .deviceName = device->name,
                      .transport = device->transport,
                      .canSetVolume = device->volume.has_value()};
}

} // namespace

struct AudioService::Core {
    Core(AudioHardware& hardware, Scheduler* scheduler)
        : hardware(hardware), queue(QStringLiteral("app.tessarn.notch.audio"), scheduler) {}

    AudioHardware& hardware;
    SerialQueue queue;
    NewestStream<AudioState> states{2};
    NewestStream<bool> settableChanges{1};
    // Written on the queue, read on any thread.
    std::atomic<quint32> deviceID{0};

    // Queue only.
    bool listening = false;
    bool awaitingFirstAnswer = false;
    QString lastDefaultKey;
    // What the last state or notice said about setting the volume.
    bool settable = false;

    void publish() {
        const AudioState state = stateOf(hardware.snapshot(), deviceID.load());
        settable = state.canSetVolume;
        states.yield(state);
    }

    // Every handled event ends here: a change of settability that no state carried.
    void noticeSettable() {
        const bool now = stateOf(hardware.snapshot(), deviceID.load()).canSetVolume;
        if (now == settable) return;
        settable = now;
        settableChanges.yield(now);
    }

    void adopt(const AudioHardwareSnapshot& snapshot) {
        deviceID.store(snapshot.defaultDevice);
        if (!snapshot.defaultKey.isEmpty()) lastDefaultKey = snapshot.defaultKey;
    }

    void start() {
        listening = true;
        const AudioHardwareSnapshot snapshot = hardware.snapshot();
        // Priming on "no device" while the server has not answered yet would turn its
        // answer into a change, and so into an activity at every launch.
        if (snapshot.status == AudioHardwareStatus::waiting) {
            awaitingFirstAnswer = true;
            return;
        }
        adopt(snapshot);
        publish();
    }

    void stop() {
        listening = false;
        awaitingFirstAnswer = false;
    }

    void handle(const AudioHardwareEvent& event) {
        if (!listening) return;
        if (awaitingFirstAnswer) return adoptFirstAnswer();
        follow(event);
        noticeSettable();
    }

    void adoptFirstAnswer() {
        const AudioHardwareSnapshot snapshot = hardware.snapshot();
        if (snapshot.status == AudioHardwareStatus::waiting) return;
        awaitingFirstAnswer = false;
        adopt(snapshot);
        publish();
    }

    void follow(const AudioHardwareEvent& event) {
        const AudioHardwareSnapshot snapshot = hardware.snapshot();
        if (snapshot.status != AudioHardwareStatus::ready || snapshot.defaultDevice == 0) {
            // Gone quietly: a volume of 0 is not news.
            deviceID.store(0);
            return;
        }
        if (deviceID.load() == 0) {
            // Back after the server went away or the outputs vanished: only a different
            // output than before is news.
            const bool differs = !lastDefaultKey.isEmpty() && snapshot.defaultKey != lastDefaultKey;
            adopt(snapshot);
            if (differs) publish();
            return;
        }
        if (snapshot.defaultDevice != deviceID.load() || snapshot.defaultKey != lastDefaultKey) {
            adopt(snapshot);
            publish();
            return;
        }
        if (event.kind == AudioHardwareEvent::Kind::deviceChanged && event.device == deviceID.load())
            publish();
    }
};

AudioService::AudioService(AudioHardware& hardware, Scheduler* queueScheduler)
    : m_core(std::make_shared<Core>(hardware, queueScheduler)) {
    Core* core = m_core.get();
    std::weak_ptr<Core> weak = m_core;
    // Removed in the destructor before the core goes, so the raw pointer stays valid.
    m_observerToken = hardware.addObserver([core, weak](const AudioHardwareEvent& event) {
        core->queue.async([weak, event] {
            if (auto strong = weak.lock()) strong->handle(event);
        });
    });
}

AudioService::~AudioService() {
    m_core->hardware.removeObserver(m_observerToken);
    // Work still on the queue ends here, so the core is never released on its own thread.
    m_core->queue.shutdown();
}

NewestStream<AudioState> AudioService::states() const {
    return m_core->states;
}

NewestStream<bool> AudioService::settableChanges() const {
    return m_core->settableChanges;
}

void AudioService::start() {
    std::weak_ptr<Core> weak = m_core;
    m_core->queue.async([weak] {
        if (auto core = weak.lock()) core->start();
    });
}

void AudioService::stop() {
    std::weak_ptr<Core> weak = m_core;
    m_core->queue.async([weak] {
        if (auto core = weak.lock()) core->stop();
    });
}

AudioState AudioService::currentState() const {
    return stateOf(m_core->hardware.snapshot(), m_core->deviceID.load());
}

void AudioService::setVolume(double volume) {
    const quint32 device = m_core->deviceID.load();
    if (device == 0) return;
    if (std::isnan(volume) || volume < 0) volume = 0;
    if (volume > 1) volume = 1;
    m_core->hardware.setVolume(device, volume);
}

quint32 AudioService::deviceID() const {
    return m_core->deviceID.load();
}

QList<AudioOutputDevice> AudioService::outputDevices() {
    return outputDevices(AudioHardware::shared());
}

QList<AudioOutputDevice> AudioService::outputDevices(const AudioHardware& hardware) {
    const AudioHardwareSnapshot snapshot = hardware.snapshot();
    QList<AudioOutputDevice> devices;
    for (const AudioHardwareDevice& device : snapshot.devices) {
        // A device without a readable name is left out, as one without outputs is.
        if (device.name.isEmpty()) continue;
        devices.push_back(AudioOutputDevice{.id = device.id,
                                            .name = device.name,
                                            .transport = device.transport,
                                            .isDefault = device.id == snapshot.defaultDevice});
    }
    return devices;
}

bool AudioService::setDefaultOutput(quint32 device) {
    return setDefaultOutput(AudioHardware::shared(), device);
}

bool AudioService::setDefaultOutput(AudioHardware& hardware, quint32 device) {
    return hardware.setDefaultOutput(device);
}

std::optional<double> AudioService::volume(quint32 device) {
    const AudioHardwareSnapshot snapshot = AudioHardware::shared().snapshot();
    const AudioHardwareDevice* found = snapshot.device(device);
    return found ? found->volume : std::nullopt;
}

std::optional<QString> AudioService::name(quint32 device) {
    const AudioHardwareSnapshot snapshot = AudioHardware::shared().snapshot();
    const AudioHardwareDevice* found = snapshot.device(device);
    if (!found || found->name.isEmpty()) return std::nullopt;
    return found->name;
}

AudioState::Transport AudioService::transport(quint32 device) {
    const AudioHardwareSnapshot snapshot = AudioHardware::shared().snapshot();
    const AudioHardwareDevice* found = snapshot.device(device);
    return found ? found->transport : AudioState::Transport::other;
}

} // namespace vesk
