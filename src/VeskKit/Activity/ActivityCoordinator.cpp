#include "VeskKit/Activity/ActivityCoordinator.h"

#include <QThread>

#include <algorithm>

namespace vesk {

namespace {

// The level readouts: the only kinds that may cover part of the open desk.
const QSet<ActivityKind> hudKinds{ActivityKind::sound, ActivityKind::display,
                                  ActivityKind::keyboardBacklight};

// A payload pushed aside by an interrupt gets at least this long when it returns.
constexpr double minimumResumeTime = 0.4;

QSet<ActivityKind> everyKind() {
    QSet<ActivityKind> kinds;
    for (ActivityKind kind : allCases<ActivityKind>())
        kinds.insert(kind);
    return kinds;
}

} // namespace

ActivityCoordinator::ActivityCoordinator(std::shared_ptr<const ClockSource> clock, QObject* parent)
    : QObject(parent), m_allowedDuringFocus{ActivityKind::battery, ActivityKind::connectivity,
                                            ActivityKind::display, ActivityKind::sound},
      m_showInFullscreen(everyKind()), m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>()) {}

void ActivityCoordinator::setAmbient(std::optional<ActivityPayload> payload) {
    if (m_ambient == payload) return;
    m_ambient = std::move(payload);
    Q_EMIT ambientChanged();
}

bool ActivityCoordinator::passesGates(const ActivityPayload& payload) const {
    if (m_focusActive && !m_allowedDuringFocus.contains(payload.kind)) return false;
    if (m_isFrontmostAppFullscreen && !m_showInFullscreen.contains(payload.kind)) return false;
    if (m_isDeskOpen) return hudKinds.contains(payload.kind);
    return true;
}

void ActivityCoordinator::present(const ActivityPayload& payload) {
    m_current = payload;
    m_expiry = m_clock->now() + payload.duration;
}

bool ActivityCoordinator::submit(const ActivityPayload& payload) {
    Q_ASSERT_X(QThread::currentThread() == thread(), "ActivityCoordinator::submit", "called off its thread");
    if (!m_activitiesEnabled) return false;
    if (!passesGates(payload)) return false;

    const Snapshot before = snapshot();
    bool presented = false;

    if (m_current && m_current->dedupeKey == payload.dedupeKey) {
        present(payload);
        presented = true;
    } else if (auto waiting =
                   std::find_if(m_queue.begin(), m_queue.end(),
                                [&](const ActivityPayload& p) { return p.dedupeKey == payload.dedupeKey; });
               waiting != m_queue.end()) {
        *waiting = payload;
    } else {
        switch (payload.priority) {
        case ActivityPriority::ambient:
            m_ambient = payload;
            if (!m_current) {
                present(payload);
                presented = true;
            }
            break;
        case ActivityPriority::queued:
            if (!m_current || m_current->priority == ActivityPriority::ambient) {
                present(payload);
                presented = true;
            } else {
                if (m_queue.size() >= maxQueueDepth) m_queue.removeFirst();
                m_queue.append(payload);
            }
            break;
        case ActivityPriority::interrupt:
            if (m_current && m_current->priority == ActivityPriority::queued && m_expiry)
                m_suspended = Suspended{*m_current, std::max(*m_expiry - m_clock->now(), 0.0)};
            present(payload);
            presented = true;
            break;
        }
    }

    publishChanges(before);
    return presented;
}

bool ActivityCoordinator::advance() {
    if (m_suspended) {
        const Suspended resumed = std::move(*m_suspended);
        m_suspended.reset();
        m_current = resumed.payload;
        m_expiry = m_clock->now() + std::max(resumed.remaining, minimumResumeTime);
    } else if (!m_queue.isEmpty()) {
        present(m_queue.takeFirst());
    } else if (m_ambient) {
        // The ambient payload stays in its slot, so it comes back after every expiry.
        present(*m_ambient);
    } else {
        m_current.reset();
        m_expiry.reset();
    }
    return true;
}

bool ActivityCoordinator::tick() {
    if (!m_expiry || m_clock->now() < *m_expiry) return false;
    const Snapshot before = snapshot();
    const bool advanced = advance();
    publishChanges(before);
    return advanced;
}

bool ActivityCoordinator::dismissCurrent() {
    const Snapshot before = snapshot();
    m_suspended.reset();
    advance();
    publishChanges(before);
    return true;
}

void ActivityCoordinator::cycle(bool forward) {
    if (m_queue.isEmpty()) return;
    const Snapshot before = snapshot();
    if (forward) {
        if (m_current) m_queue.append(*m_current);
        present(m_queue.takeFirst());
    } else {
        if (m_current) m_queue.prepend(*m_current);
        present(m_queue.takeLast());
    }
    publishChanges(before);
}

void ActivityCoordinator::clear(ActivityKind kind) {
    const Snapshot before = snapshot();
    m_queue.removeIf([kind](const ActivityPayload& p) { return p.kind == kind; });
    // Advancing first may present an ambient payload of this very kind; it then stays
    // current until it expires, although it leaves the ambient slot below.
    if (m_current && m_current->kind == kind) advance();
    if (m_ambient && m_ambient->kind == kind) m_ambient.reset();
    publishChanges(before);
}

bool ActivityCoordinator::expireAmbient() {
    if (!m_current || m_current->priority != ActivityPriority::ambient) return false;
    const Snapshot before = snapshot();
    advance();
    publishChanges(before);
    return true;
}

void ActivityCoordinator::publishChanges(const Snapshot& before) {
    if (before.current != m_current) Q_EMIT currentChanged();
    if (before.queue != m_queue) Q_EMIT queueChanged();
    if (before.ambient != m_ambient) Q_EMIT ambientChanged();
}

} // namespace vesk
