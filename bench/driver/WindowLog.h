#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace vesk::bench {

// What the X watcher reported, kept in order. A "notch" window is a mapped top-level
// window that hangs from the top edge of the screen, centred, as a notch panel does; of
// several such windows of one program, the one mapped first.
class WindowLog {
public:
    enum class Kind { Map, Unmap, Configure, Damage, Destroy };
    struct Event {
        qint64 timeNs = 0;
        Kind kind = Kind::Map;
        quint32 window = 0;
        quint32 pid = 0; // the owner, from _NET_WM_PID when the window was mapped
        QRect geometry;  // the window's frame at that moment
        bool notch = false;
    };

    void addLine(const QByteArray& line);

    bool ready() const { return m_ready; }
    bool compositor() const { return m_compositor; }
    QSize screen() const { return m_screen; }

    // The first repaint of a notch window of `pid` at or after `afterNs`.
    std::optional<Event> firstNotchPaint(quint32 pid, qint64 afterNs) const;
    // Repaints of windows of `pid` in [fromNs, toNs).
    int paints(quint32 pid, qint64 fromNs, qint64 toNs) const;
    // The latest repaint of any window of `pid`, or 0.
    qint64 lastPaint(quint32 pid) const;
    // The notch window of `pid` as it is now, if one is mapped.
    std::optional<Event> notchWindow(quint32 pid) const;

    // Repaints of the notch window of `pid` at or after `afterNs`, in order.
    QList<Event> notchPaints(quint32 pid, qint64 afterNs) const;
    // When the server had the latest faked click, move or key ("clicked", "moved", "keyed").
    const std::optional<qint64>& inputDone() const { return m_inputDone; }
    void clearInputDone() { m_inputDone.reset(); }

    // The answer to the latest snapshot request, as "<w>x<h> <hash>" or "none".
    const std::optional<QString>& snapshot() const { return m_snapshot; }
    void clearSnapshot() { m_snapshot.reset(); }

private:
    struct Window {
        quint32 pid = 0;
        bool mapped = false;
        qint64 mappedNs = 0;
        QRect geometry;
    };
    bool hangsCentred(const Window& w) const;
    bool isNotch(quint32 id) const;

    bool m_ready = false;
    bool m_compositor = false;
    QSize m_screen;
    QHash<quint32, Window> m_windows;
    QList<Event> m_events;
    std::optional<QString> m_snapshot;
    std::optional<qint64> m_inputDone;
};

} // namespace vesk::bench
