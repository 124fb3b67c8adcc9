#include "VeskServices/EventTap/EventTapService.h"

#include "VeskPlatform/Input/KeyTap.h"
#include "VeskPlatform/Input/X11KeyTap.h"

#include <QPointer>

#include <chrono>

namespace vesk {

namespace {

qint64 steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

KeyTap::Mode layerMode(EventTapService::Mode mode) {
    return mode == EventTapService::Mode::intercept ? KeyTap::Mode::intercept : KeyTap::Mode::listen;
}

} // namespace

EventTapService::EventTapService(std::unique_ptr<KeyTap> tap, UptimeNanoseconds uptime, QObject* parent)
    : QObject(parent), m_tap(tap ? std::move(tap) : std::make_unique<X11KeyTap>()),
      m_uptime(uptime ? std::move(uptime) : UptimeNanoseconds(steadyNanoseconds)) {
    QPointer<EventTapService> self(this);
    m_tap->setOnInterceptRefused([self](const QString& reason) {
        if (self) self->fallBackToListen(reason, /*retakeKeys=*/true);
    });
}

EventTapService::~EventTapService() {
    m_healthTimer.cancel();
    if (m_tapInstalled) m_tap->destroy();
}

bool EventTapService::hasAccessibility() const {
    return m_tap->canIntercept();
}

bool EventTapService::requestAccessibility() {
    return m_tap->probeIntercept();
}

EventTapService::InputMonitoring EventTapService::inputMonitoring() const {
    return m_tap->canListen() ? InputMonitoring::granted : InputMonitoring::denied;
}

bool EventTapService::requestInputMonitoring() {
    return inputMonitoring() == InputMonitoring::granted;
}

bool EventTapService::isInterceptable(MediaKey key) {
    return KeyTap::isInterceptable(toRaw(key));
}

QSet<int> EventTapService::interceptedKeyCodes() const {
    QSet<int> codes;
    for (MediaKey key : m_consumable)
        if (isInterceptable(key)) codes.insert(toRaw(key));
    return codes;
}

void EventTapService::setConsumableKeys(const QSet<MediaKey>& keys) {
    m_consumable = keys;
    m_tap->setInterceptedKeys(interceptedKeyCodes());
}

EventTapService::Status EventTapService::start(Mode mode) {
    stop();
    if (inputMonitoring() != InputMonitoring::granted) {
        setStatus(NeedsInputMonitoring{});
        return m_status;
    }
    if (mode == Mode::intercept && !hasAccessibility()) {
        setStatus(NeedsAccessibility{});
        return m_status;
    }
    m_tap->setInterceptedKeys(interceptedKeyCodes());
    QPointer<EventTapService> self(this);
    const bool created = m_tap->create(
        layerMode(mode), [self](const TapEvent& event) { return self ? self->onTapEvent(event) : false; });
    if (!created) {
        if (mode == Mode::intercept)
            setStatus(NeedsAccessibility{});
        else
            setStatus(NeedsInputMonitoring{});
        return m_status;
    }
    m_tapInstalled = true;
    m_mode = mode;
    startHealthMonitor();
    setStatus(Running{mode});
    return m_status;
}

void EventTapService::stop() {
    m_healthTimer.cancel();
    m_healthTimer = {};
    m_retakeKeys = false;
    if (m_tapInstalled) {
        m_tap->destroy();
        m_tapInstalled = false;
    }
    if (std::holds_alternative<Stopped>(m_status)) return;
    setStatus(Stopped{});
}

void EventTapService::setStatus(Status status) {
    m_status = std::move(status);
    if (m_onStatusChange) {
        StatusCallback callback = m_onStatusChange;
        callback(m_status);
    }
}

void EventTapService::startHealthMonitor() {
    m_healthTimer.cancel();
    QPointer<EventTapService> self(this);
    m_healthTimer = mainScheduler().postRepeating(healthCheckInterval, [self] {
        if (self) self->checkHealth();
    });
}

void EventTapService::checkHealth() {
    if (!m_tapInstalled) return;
    if (!m_tap->isEnabled()) m_tap->enable();
    // Quiet while the keys stay held: the try changes no status until they look free.
    if (!m_retakeKeys || m_mode != Mode::listen || !m_tap->refusedKeysLookFree()) return;
    // Never left without a tap: back to listening, to try again at the next check.
    if (!isRunning(start(Mode::intercept)) && isRunning(start(Mode::listen))) m_retakeKeys = true;
}

bool EventTapService::onTapEvent(const TapEvent& event) {
    if (event.kind == TapEvent::Kind::tapDisabled) {
        if (m_tapInstalled) m_tap->enable();
        return false;
    }
    return process(event);
}

bool EventTapService::process(const TapEvent& event) {
    if (event.type != TapEvent::systemDefinedType || event.subtype != TapEvent::auxControlButtonsSubtype)
        return false;
    const qint64 keyCode = (event.data1 & 0xFFFF0000) >> 16;
    const qint64 keyFlags = event.data1 & 0xFFFF;
    const qint64 keyState = (keyFlags & 0xFF00) >> 8;
    const std::optional<MediaKey> key = mediaKeyFromRaw(keyCode);
    if (!key) return false;
    const MediaKeyEvent decoded{
        *key,
        keyState == TapEvent::keyDownState,
        (keyFlags & 0x1) != 0,
        (event.modifierFlags & TapEvent::shiftFlag) && (event.modifierFlags & TapEvent::altFlag),
    };
    if (!m_handler) return false;

    Handler handler = m_handler;
    const qint64 begin = m_uptime();
    const bool consumed = handler(decoded);
    const double elapsedMs = static_cast<double>(m_uptime() - begin) / 1'000'000.0;

    if (elapsedMs <= handlerBudgetMs) {
        m_slowCallbackStrikes = 0;
    } else {
        ++m_slowCallbackStrikes;
        if (m_slowCallbackStrikes >= 2 && m_mode == Mode::intercept)
            fallBackToListen(QStringLiteral("handler took %1 ms twice").arg(static_cast<qint64>(elapsedMs)),
                             /*retakeKeys=*/false);
    }
    return m_mode == Mode::intercept ? consumed : false;
}

void EventTapService::fallBackToListen(const QString& reason, bool retakeKeys) {
    // Several strikes (or refusals) before the fallback runs make one fallback.
    if (m_fallbackPending) return;
    m_fallbackPending = true;
    QPointer<EventTapService> self(this);
    onMain([self, reason, retakeKeys] {
        if (!self) return;
        self->m_fallbackPending = false;
        // Stopped or already listening in the meantime: nothing to demote.
        if (!self->m_tapInstalled || self->m_mode != Mode::intercept) return;
        if (!isRunning(self->start(Mode::listen))) return;
        // A slow handler would be slow again: only keys held elsewhere are tried again.
        self->m_retakeKeys = retakeKeys;
        self->setStatus(DegradedToListen{reason});
    });
}

bool isRunning(const EventTapService::Status& status) {
    return std::holds_alternative<EventTapService::Running>(status) ||
           std::holds_alternative<EventTapService::DegradedToListen>(status);
}

QString caseName(EventTapService::Mode mode) {
    return mode == EventTapService::Mode::intercept ? QStringLiteral("intercept") : QStringLiteral("listen");
}

QString describe(const EventTapService::Status& status) {
    return std::visit(
        [](const auto& s) -> QString {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, EventTapService::Running>)
                return QStringLiteral("running(") + caseName(s.mode) + u')';
            else if constexpr (std::is_same_v<T, EventTapService::DegradedToListen>)
                return QStringLiteral("degradedToListen(") + s.reason + u')';
            else if constexpr (std::is_same_v<T, EventTapService::Stopped>)
                return QStringLiteral("stopped");
            else if constexpr (std::is_same_v<T, EventTapService::NeedsInputMonitoring>)
                return QStringLiteral("needsInputMonitoring");
            else
                return QStringLiteral("needsAccessibility");
        },
        status);
}

} // namespace vesk
