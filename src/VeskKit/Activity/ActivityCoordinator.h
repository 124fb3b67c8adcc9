#pragma once

#include "VeskKit/Activity/ActivityPayload.h"
#include "VeskKit/Foundation/Clock.h"

#include <QList>
#include <QObject>
#include <QSet>

#include <memory>
#include <optional>

namespace vesk {

// Decides which single activity the notch shows now: de-duplicates by key, gates,
// lets interrupts push a queued payload aside, keeps a short queue and one ambient
// payload, and expires the current one. It starts no timer: all time passes through
// tick(), called from the heartbeat, and is read only from the clock. Main thread only.
class ActivityCoordinator final : public QObject {
    Q_OBJECT

public:
    static constexpr int maxQueueDepth = 3;

    explicit ActivityCoordinator(std::shared_ptr<const ClockSource> clock, QObject* parent = nullptr);

    // The payload shown now.
    const std::optional<ActivityPayload>& current() const { return m_current; }
    // Waiting payloads, oldest first.
    const QList<ActivityPayload>& queue() const { return m_queue; }
    // The background payload shown when nothing else is due.
    const std::optional<ActivityPayload>& ambient() const { return m_ambient; }
    // Stores the ambient payload; presents nothing and touches nothing else.
    void setAmbient(std::optional<ActivityPayload> payload);

    // Gates. Setting one never re-evaluates payloads already accepted.
    QSet<ActivityKind> allowedDuringFocus() const { return m_allowedDuringFocus; }
    void setAllowedDuringFocus(QSet<ActivityKind> kinds) { m_allowedDuringFocus = std::move(kinds); }
    bool focusActive() const { return m_focusActive; }
    void setFocusActive(bool active) { m_focusActive = active; }
    QSet<ActivityKind> showInFullscreen() const { return m_showInFullscreen; }
    void setShowInFullscreen(QSet<ActivityKind> kinds) { m_showInFullscreen = std::move(kinds); }
    bool isFrontmostAppFullscreen() const { return m_isFrontmostAppFullscreen; }
    void setFrontmostAppFullscreen(bool fullscreen) { m_isFrontmostAppFullscreen = fullscreen; }
    bool isDeskOpen() const { return m_isDeskOpen; }
    void setDeskOpen(bool open) { m_isDeskOpen = open; }
    bool activitiesEnabled() const { return m_activitiesEnabled; }
    void setActivitiesEnabled(bool enabled) { m_activitiesEnabled = enabled; }

    const ClockSource& clock() const { return *m_clock; }

    // Offers a payload. True when, on return, it is the current one.
    bool submit(const ActivityPayload& payload);
    // True when the current payload had expired and the coordinator advanced.
    bool tick();
    // Drops the current payload and any suspended one, then advances. Always true.
    bool dismissCurrent();
    // Rotates the current payload through the queue; nothing with an empty queue.
    void cycle(bool forward);
    // Removes the queued, current and ambient payloads of one kind.
    void clear(ActivityKind kind);
    // Ends a current payload of ambient priority at once, advancing to what is due
    // (queue and suspended payload kept). True when it did; false when the current
    // payload is absent or not ambient.
    bool expireAmbient();

Q_SIGNALS:
    void currentChanged();
    void queueChanged();
    void ambientChanged();

private:
    struct Suspended {
        ActivityPayload payload;
        double remaining;
    };
    struct Snapshot {
        std::optional<ActivityPayload> current;
        QList<ActivityPayload> queue;
        std::optional<ActivityPayload> ambient;
    };

    bool passesGates(const ActivityPayload& payload) const;
    void present(const ActivityPayload& payload);
    bool advance();
    Snapshot snapshot() const { return {m_current, m_queue, m_ambient}; }
    void publishChanges(const Snapshot& before);

    std::optional<ActivityPayload> m_current;
    QList<ActivityPayload> m_queue;
    std::optional<ActivityPayload> m_ambient;
    QSet<ActivityKind> m_allowedDuringFocus;
    bool m_focusActive = false;
    QSet<ActivityKind> m_showInFullscreen;
    bool m_isFrontmostAppFullscreen = false;
    bool m_isDeskOpen = false;
    bool m_activitiesEnabled = true;
    std::shared_ptr<const ClockSource> m_clock;
    std::optional<Date> m_expiry;
    std::optional<Suspended> m_suspended;
};

} // namespace vesk
