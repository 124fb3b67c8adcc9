#pragma once

#include "VeskPlatform/Session/PowerAssertion.h"

#include <QDBusUnixFileDescriptor>

#include <optional>

namespace vesk {

// Keep-awake on a Linux desktop. Idle daemons honour different channels, so both are
// held together: a logind "idle" inhibitor (a file descriptor that inhibits while it
// is open) and an org.freedesktop.ScreenSaver inhibition cookie where that service
// exists. Either one held counts as held; both are released together.
// Each channel follows its service: a screensaver that leaves takes its cookies with
// it, and logind's inhibitor is gone when logind closed its end of the descriptor
// (systemd's logind keeps it open across its own restarts, a plain daemon does not).
// A channel lost this way is taken again, alone, when its service comes back while
// the assertion is still wanted; once neither is held, lost() says why.
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
    enum class Channel { logind, screenSaver };

    void watchOwner(Channel channel);
    void ownerChanged(Channel channel, bool owned);
    // Asks the channel's service; false when it is known to be absent.
    bool take(Channel channel);
    void finishAttempt(Channel channel, bool succeeded);
    // Nothing held and nothing asked any more: the assertion is gone.
    void checkStillHeld(const QString& why);
    bool holds(Channel channel) const;
    static bool inhibitorClosed(const QDBusUnixFileDescriptor& descriptor);
    static void unInhibit(quint32 cookie);

    quint64 m_generation = 0; // answers to an older acquire() are handed back at once
    bool m_held = false;
    QString m_reason;
    bool m_logindPending = false;
    bool m_screenSaverPending = false;
    QDBusUnixFileDescriptor m_inhibitor;
    std::optional<quint32> m_cookie;
    // Whether each service has an owner; unknown until the bus has answered.
    std::optional<bool> m_logindOwned;
    std::optional<bool> m_screenSaverOwned;
};

} // namespace vesk
