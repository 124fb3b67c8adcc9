#pragma once

#include <QObject>

namespace vesk {

// How the application meets the desktop. As an accessory it has no task-bar entry and
// lives on with no window open: the notch panels keep out of task bars and pagers on
// their own, and ordinary windows (settings, onboarding) follow the policy. Regular,
// used while onboarding or a permission prompt is up, lets those windows show in the
// task bar and take focus. Main thread only.
enum class ActivationPolicy { regular, accessory };

class Activation final : public QObject {
    Q_OBJECT

public:
    static Activation& shared();

    ActivationPolicy policy() const { return m_policy; }
    // Also keeps the process running when its last window closes.
    void setPolicy(ActivationPolicy policy);

Q_SIGNALS:
    void policyChanged(ActivationPolicy policy);

private:
    Activation() = default;
    ActivationPolicy m_policy = ActivationPolicy::regular;
};

} // namespace vesk
