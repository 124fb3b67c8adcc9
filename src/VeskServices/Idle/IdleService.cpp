#include "VeskServices/Idle/IdleService.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/Session/DesktopPowerAssertion.h"
#include "VeskPlatform/Session/DesktopSessionEvents.h"

#include <QPointer>

namespace vesk {

IdleService::IdleService(std::unique_ptr<PowerAssertion> assertion, std::unique_ptr<SessionEvents> session,
                         Scheduler* scheduler, const ClockSource* clock, QObject* parent)
    : QObject(parent),
      m_assertion(assertion ? std::move(assertion) : std::make_unique<DesktopPowerAssertion>()),
      m_session(session ? std::move(session) : std::make_unique<DesktopSessionEvents>()),
      m_scheduler(scheduler), m_clock(clock) {
    // Nothing holds it any more: keep-awake is off, and says so.
    connect(m_assertion.get(), &PowerAssertion::lost, this, [this](const QString& reason) {
        TraceLog::trace(QStringLiteral("keep-awake lost: ") + reason);
        m_expiry.cancel();
        m_expiry = {};
        setKeepAwake(false, std::nullopt);
    });
}

IdleService::~IdleService() {
    shutDown();
}

bool IdleService::startKeepAwake(KeepAwakeDuration duration) {
    stopKeepAwake();
    if (!m_assertion->acquire(assertionName())) return false;
    const std::optional<double> length = seconds(duration);
    if (!length) {
        setKeepAwake(true, std::nullopt);
        return true;
    }
    setKeepAwake(true, now() + *length);
    QPointer<IdleService> self(this);
    m_expiry = scheduler().postAfter(*length, [self] {
        if (self) self->stopKeepAwake();
    });
    return true;
}

void IdleService::stopKeepAwake() {
    m_expiry.cancel();
    m_expiry = {};
    if (m_isKeepingAwake) m_assertion->release();
    setKeepAwake(false, std::nullopt);
}

void IdleService::toggleKeepAwake(KeepAwakeDuration duration) {
    if (m_isKeepingAwake)
        stopKeepAwake();
    else
        startKeepAwake(duration);
}

void IdleService::setKeepAwake(bool on, std::optional<Date> until) {
    if (on == m_isKeepingAwake && until == m_keepAwakeUntil) return;
    m_isKeepingAwake = on;
    m_keepAwakeUntil = until;
    Q_EMIT keepAwakeChanged();
}

void IdleService::start() {
    stop();
    m_observer = connect(m_session.get(), &SessionEvents::lockedChanged, this, &IdleService::onLockedChanged);
    m_session->start();
}

void IdleService::stop() {
    if (!m_observer) return;
    disconnect(m_observer);
    m_observer = {};
    m_session->stop();
}

void IdleService::shutDown() {
    stopKeepAwake();
    stop();
}

void IdleService::onLockedChanged(bool locked) {
    if (locked != m_isScreenLocked) {
        m_isScreenLocked = locked;
        Q_EMIT isScreenLockedChanged(locked);
    }
    if (m_onLockEvent) m_onLockEvent(locked ? ScreenLockEvent::locked : ScreenLockEvent::unlocked);
}

} // namespace vesk
