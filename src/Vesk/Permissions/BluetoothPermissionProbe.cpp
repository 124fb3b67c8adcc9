#include "Vesk/Permissions/BluetoothPermissionProbe.h"

#include "VeskKit/Foundation/Scheduler.h"

#include <QPointer>

namespace vesk {

BluetoothPermissionProbe::BluetoothPermissionProbe(PermissionLayers& layers, QObject* parent)
    : QObject(parent), m_layers(layers) {}

void BluetoothPermissionProbe::request(std::function<void(bool granted)> completion) {
    if (m_completion) answer(m_generation);
    m_completion = std::move(completion);
    const quint64 generation = ++m_generation;

    QPointer<BluetoothPermissionProbe> self(this);
    m_layers.probeBluetooth([self, generation] {
        if (self) self->answer(generation);
    });
    onMainAfter(timeout, [self, generation] {
        if (self) self->answer(generation);
    });
}

void BluetoothPermissionProbe::answer(quint64 generation) {
    if (generation != m_generation || !m_completion) return;
    auto completion = std::move(m_completion);
    m_completion = nullptr;
    completion(m_layers.bluetoothAuthorization() == BluetoothService::Authorization::allowedAlways);
}

} // namespace vesk
