#include "Vesk/Permissions/Permissions.h"

#include "VeskKit/Foundation/Scheduler.h"

#include <QPointer>

namespace vesk {

Permissions::Permissions(PermissionLayers& layers, PermissionPrompt& prompt, QObject* parent)
    : QObject(parent), m_layers(layers), m_prompt(prompt), m_bluetoothProbe(layers) {}

PermissionState Permissions::state(Permission permission) const {
    switch (permission) {
    case Permission::inputMonitoring:
        return permissionState(m_layers.inputMonitoring());
    case Permission::accessibility:
        return accessibilityState(m_layers.hasAccessibility());
    case Permission::bluetooth:
        return permissionState(m_layers.bluetoothAuthorization());
    case Permission::calendar:
        return permissionState(m_layers.calendarAuthorization());
    case Permission::camera:
        return permissionState(m_layers.cameraAuthorization());
    }
    return PermissionState::unknown;
}

bool Permissions::isUnavailable(Permission permission) const {
    return permission == Permission::bluetooth &&
           m_layers.bluetoothAuthorization() == BluetoothService::Authorization::restricted;
}

void Permissions::request(Permission permission, std::function<void(bool granted)> completion) {
    if (!completion) completion = [](bool) {};
    QPointer<Permissions> self(this);
    switch (permission) {
    case Permission::inputMonitoring:
        m_prompt.withActivation([self, completion = std::move(completion)] {
            if (!self) return;
            self->m_layers.requestInputMonitoring();
            onMainAfter(inputMonitoringSettleDelay, [self, completion] {
                if (self)
                    completion(self->m_layers.inputMonitoring() == EventTapService::InputMonitoring::granted);
            });
        });
        return;
    case Permission::accessibility:
        m_prompt.withActivation([self, completion = std::move(completion)] {
            if (!self) return;
            self->m_layers.requestAccessibility();
            completion(self->m_layers.hasAccessibility());
        });
        return;
    case Permission::bluetooth:
        m_prompt.withActivation([self, completion = std::move(completion)] {
            if (self) self->m_bluetoothProbe.request(completion);
        });
        return;
    case Permission::calendar:
        m_layers.requestCalendarAccess(std::move(completion));
        return;
    case Permission::camera:
        m_layers.requestCameraAccess(std::move(completion));
        return;
    }
}

void Permissions::openSettings(Permission permission, QWidget* parent) {
    m_prompt.openPane(paneAnchor(permission), parent);
}

} // namespace vesk
