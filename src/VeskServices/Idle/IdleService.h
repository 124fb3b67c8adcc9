#pragma once

#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Session/PowerAssertion.h"
#include "VeskPlatform/Session/SessionEvents.h"
#include "VeskServices/Idle/KeepAwakeDuration.h"
#include "VeskServices/Idle/ScreenLockEvent.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// Keeps the display awake for a chosen time and reports the screen being locked and
// unlocked. Main thread only.
class IdleService : public QObject {
    Q_OBJECT
public:
    // Null layers mean the desktop's own; a null scheduler means the main one and a
    // null clock the system clock.
    explicit IdleService(std::unique_ptr<PowerAssertion> assertion = nullptr,
                         std::unique_ptr<SessionEvents> session = nullptr, Scheduler* scheduler = nullptr,
                         const ClockSource* clock = nullptr, QObject* parent = nullptr);
    ~IdleService() override;

    // Replaces a running keep-awake. False when the assertion cannot be taken; then
    // keep-awake is off.
    bool startKeepAwake(KeepAwakeDuration duration);
    // Harmless when off.
    void stopKeepAwake();
    void toggleKeepAwake(KeepAwakeDuration duration);

    // Watches lock and unlock; a second start() replaces the first.
    void start();
    void stop();
    // stopKeepAwake() then stop(), when the application ends.
    void shutDown();

    bool isKeepingAwake() const { return m_isKeepingAwake; }
    // When keep-awake ends; nothing when it runs until turned off or is off.
    std::optional<Date> keepAwakeUntil() const { return m_keepAwakeUntil; }
    bool isScreenLocked() const { return m_isScreenLocked; }

    // Called once per lock or unlock.
    void setOnLockEvent(std::function<void(ScreenLockEvent)> handler) { m_onLockEvent = std::move(handler); }
    const std::function<void(ScreenLockEvent)>& onLockEvent() const { return m_onLockEvent; }

    // The name the assertion is taken under.
    static QString assertionName() { return QStringLiteral("Vesk — keep awake"); }

Q_SIGNALS:
    // isKeepingAwake or keepAwakeUntil changed.
    void keepAwakeChanged();
    void isScreenLockedChanged(bool locked);

private:
    void setKeepAwake(bool on, std::optional<Date> until);
    void onLockedChanged(bool locked);
    Scheduler& scheduler() const { return m_scheduler ? *m_scheduler : mainScheduler(); }
    Date now() const { return m_clock ? m_clock->now() : Date::now(); }

    std::unique_ptr<PowerAssertion> m_assertion;
    std::unique_ptr<SessionEvents> m_session;
    Scheduler* m_scheduler;
    const ClockSource* m_clock;
    bool m_isKeepingAwake = false;
    std::optional<Date> m_keepAwakeUntil;
    bool m_isScreenLocked = false;
    std::function<void(ScreenLockEvent)> m_onLockEvent;
    TaskHandle m_expiry;
    QMetaObject::Connection m_observer;
};

} // namespace vesk
