#pragma once

#include "Vesk/Permissions/BluetoothPermissionProbe.h"
#include "Vesk/Permissions/PermissionLayers.h"
#include "Vesk/Permissions/PermissionPrompt.h"

#include <QObject>

#include <functional>

class QWidget;

namespace vesk {

// Reads, requests and opens the settings of each permission. Main thread.
class Permissions final : public QObject {
    Q_OBJECT
public:
    // How long after asking for Input Monitoring its answer is read.
    static constexpr double inputMonitoringSettleDelay = 1.0;

    // The layers and the prompt must outlive this object.
    Permissions(PermissionLayers& layers, PermissionPrompt& prompt, QObject* parent = nullptr);

    // The platform's answer now: no caching, no prompt.
    PermissionState state(Permission permission) const;
    // The facility behind the permission is missing (no Bluetooth service answers): there
    // is nothing to allow or to open.
    bool isUnavailable(Permission permission) const;
    // Asks as the platform allows and calls `completion` once, on the main thread, with
    // whether the permission is granted now.
    void request(Permission permission, std::function<void(bool granted)> completion);
    void openSettings(Permission permission, QWidget* parent = nullptr);

    PermissionPrompt& prompt() const { return m_prompt; }

private:
    PermissionLayers& m_layers;
    PermissionPrompt& m_prompt;
    BluetoothPermissionProbe m_bluetoothProbe;
};

} // namespace vesk
