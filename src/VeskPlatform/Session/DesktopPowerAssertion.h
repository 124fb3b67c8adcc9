#pragma once

#include "VeskPlatform/Session/PowerAssertion.h"

#include <QDBusUnixFileDescriptor>

#include <optional>

namespace vesk {

// Keep-awake on a Linux desktop. Idle daemons honour different channels, so both are
// held together: a logind "idle" inhibitor (a file descriptor that inhibits while it
// is open) and an org.freedesktop.ScreenSaver inhibition cookie where that service
// exists. Either one taken counts as held; both are released together.
class DesktopPowerAssertion final : public PowerAssertion {
    Q_OBJECT
public:
    explicit DesktopPowerAssertion(QObject* parent = nullptr);
    ~DesktopPowerAssertion() override;

    bool acquire(const QString& reason) override;
    void release() override;
    bool isHeld() const override { return m_held; }

    // What is held right now (for tests and the diagnostics).
    bool holdsLogindInhibitor() const { return m_inhibitor.isValid(); }
    std::optional<quint32> screenSaverCookie() const { return m_cookie; }

private:
    void watchOwner(bool systemBus, const QString& service, std::optional<bool>* owned);
    void finishAttempt(bool succeeded);
    static void unInhibit(quint32 cookie);

    quint64 m_generation = 0; // answers to an older acquire() are handed back at once
    bool m_held = false;
    int m_pending = 0;
    bool m_anySucceeded = false;
    QDBusUnixFileDescriptor m_inhibitor;
    std::optional<quint32> m_cookie;
    // Whether each service has an owner; unknown until the bus has answered.
    std::optional<bool> m_logindOwned;
    std::optional<bool> m_screenSaverOwned;
};

} // namespace vesk
