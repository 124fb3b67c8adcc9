#pragma once

#include "VeskPlatform/Audio/AudioHardware.h"

#include <QList>

#include <functional>
#include <map>
#include <mutex>
#include <utility>

namespace vesk::test {

// Audio hardware whose state the test sets. Every change is announced to observers
// at once, on the calling thread, as the sound server's events would be.
class FakeAudioHardware final : public AudioHardware {
public:
    using Kind = AudioHardwareEvent::Kind;

    AudioHardwareSnapshot snapshot() const override {
        std::lock_guard lock(m_mutex);
        return m_snapshot;
    }

    // Like a server that confirms the change: the device's volume moves and observers hear of it.
    bool setVolume(quint32 device, double volume) override {
        volumeRequests.push_back({device, volume});
        bool known = false;
        {
            std::lock_guard lock(m_mutex);
            for (AudioHardwareDevice& candidate : m_snapshot.devices) {
                if (candidate.id != device || !candidate.volume) continue;
                candidate.volume = volume;
                known = true;
            }
        }
        if (known) announce({Kind::deviceChanged, device});
        return known;
    }

    bool setDefaultOutput(quint32 device) override {
        bool known = false;
        {
            std::lock_guard lock(m_mutex);
            if (const AudioHardwareDevice* found = m_snapshot.device(device)) {
                m_snapshot.defaultDevice = device;
                m_snapshot.defaultKey = found->key;
                known = true;
            }
        }
        if (known) announce({Kind::defaultDeviceChanged, device});
        return known;
    }

    int addObserver(Observer observer) override {
        std::lock_guard lock(m_observerMutex);
        m_observers.emplace(++m_nextToken, std::move(observer));
        return m_nextToken;
    }

    void removeObserver(int token) override {
        std::lock_guard lock(m_observerMutex);
        m_observers.erase(token);
    }

    int observerCount() const {
        std::lock_guard lock(m_observerMutex);
        return int(m_observers.size());
    }

    // Changes the state and announces `event`.
    void change(const std::function<void(AudioHardwareSnapshot&)>& edit, AudioHardwareEvent event) {
        {
            std::lock_guard lock(m_mutex);
            edit(m_snapshot);
        }
        announce(event);
    }

    void announce(AudioHardwareEvent event) {
        std::lock_guard lock(m_observerMutex);
        for (auto& [token, observer] : m_observers)
            observer(event);
    }

    // A ready server with these devices, the first one the default (no announcement).
    void setReady(QList<AudioHardwareDevice> devices) {
        std::lock_guard lock(m_mutex);
        m_snapshot.status = AudioHardwareStatus::ready;
        m_snapshot.devices = std::move(devices);
        m_snapshot.defaultDevice = m_snapshot.devices.isEmpty() ? 0 : m_snapshot.devices.front().id;
        m_snapshot.defaultKey = m_snapshot.devices.isEmpty() ? QString() : m_snapshot.devices.front().key;
    }

    QList<std::pair<quint32, double>> volumeRequests;

private:
    mutable std::mutex m_mutex;
    AudioHardwareSnapshot m_snapshot;
    mutable std::mutex m_observerMutex;
    std::map<int, Observer> m_observers;
    int m_nextToken = 0;
};

} // namespace vesk::test
