#pragma once

#include <QObject>
#include <QPointer>

namespace vesk {

// Whether the program presents itself as a regular application (its windows in the
// taskbar, able to take focus) or stays an accessory. Several things want "regular" at
// once and for different times (a permission prompt for a while after it ran, the
// onboarding and settings windows while open, a save panel): each holds it, and the
// program returns to accessory only when the last hold ends, so no stale policy is
// ever put back. Main thread.
class ActivationPolicy final : public QObject {
    Q_OBJECT
public:
    enum class Policy { accessory, regular };
    Q_ENUM(Policy)

    // Keeps the policy regular while it lives. Move-only; harmless once the policy is gone.
    class Hold {
    public:
        Hold() = default;
        Hold(Hold&& other) noexcept : m_policy(other.m_policy) { other.m_policy.clear(); }
        Hold& operator=(Hold&& other) noexcept;
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold() { release(); }

        bool isHeld() const { return !m_policy.isNull(); }
        void release();

    private:
        friend class ActivationPolicy;
        explicit Hold(ActivationPolicy* policy) : m_policy(policy) {}
        QPointer<ActivationPolicy> m_policy;
    };

    explicit ActivationPolicy(QObject* parent = nullptr);

    Policy policy() const { return m_holders > 0 ? Policy::regular : Policy::accessory; }
    int holders() const { return m_holders; }

    [[nodiscard]] Hold holdRegular();

Q_SIGNALS:
    void policyChanged(vesk::ActivationPolicy::Policy policy);

private:
    void release();

    int m_holders = 0;
};

} // namespace vesk
