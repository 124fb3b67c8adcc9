#pragma once

#include "Vesk/Permissions/PermissionLayers.h"

#include <QObject>

#include <functional>

namespace vesk {

// Asks the Bluetooth daemon afresh and answers whether Bluetooth may be used: at the
// daemon's answer or after 2 s, whichever comes first, and only once. A request made
// while another is pending answers the earlier one at once with the state as it is,
// so no caller waits forever. Main thread.
class BluetoothPermissionProbe final : public QObject {
    Q_OBJECT
public:
    static constexpr double timeout = 2.0;

    explicit BluetoothPermissionProbe(PermissionLayers& layers, QObject* parent = nullptr);

    void request(std::function<void(bool granted)> completion);
    bool isPending() const { return static_cast<bool>(m_completion); }

private:
    void answer(quint64 generation);

    PermissionLayers& m_layers;
    std::function<void(bool)> m_completion;
    quint64 m_generation = 0;
};

} // namespace vesk
