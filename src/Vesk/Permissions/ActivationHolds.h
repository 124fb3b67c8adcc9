#pragma once

#include <QObject>
#include <QPointer>

namespace vesk {

// Who needs the program to be a regular application (windows in the taskbar, able to
// take focus) rather than an accessory. Several things want it at once and for
// different times (a permission prompt for a while after it ran, the onboarding and
// settings windows while open, a save panel): each holds it, and the program returns
// to accessory only when the last hold ends, so no stale policy is ever put back.
// Main thread.
class ActivationHolds final : public QObject {
    Q_OBJECT
public:
    // Keeps the program regular while it lives. Move-only; harmless once the holds are gone.
    class Hold {
    public:
        Hold() = default;
        Hold(Hold&& other) noexcept : m_holds(other.m_holds) { other.m_holds.clear(); }
        Hold& operator=(Hold&& other) noexcept;
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold() { release(); }

        bool isHeld() const { return !m_holds.isNull(); }
        void release();

    private:
        friend class ActivationHolds;
        explicit Hold(ActivationHolds* holds) : m_holds(holds) {}
        QPointer<ActivationHolds> m_holds;
    };

    explicit ActivationHolds(QObject* parent = nullptr);

    bool isRegular() const { return m_holders > 0; }
    int holders() const { return m_holders; }

    [[nodiscard]] Hold holdRegular();

Q_SIGNALS:
    // The first hold began (true) or the last one ended (false).
    void regularChanged(bool regular);

private:
    void release();

    int m_holders = 0;
};

} // namespace vesk
