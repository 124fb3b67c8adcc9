#include "WindowLog.h"

#include <utility>

namespace vesk::bench {

bool WindowLog::hangsCentred(const Window& w) const {
    if (!w.mapped || w.geometry.top() != 0 || m_screen.isEmpty()) return false;
    const int centreTwice = 2 * w.geometry.x() + w.geometry.width();
    return qAbs(centreTwice - m_screen.width()) <= 2;
}

bool WindowLog::isNotch(quint32 id) const {
    const Window w = m_windows.value(id);
    if (!hangsCentred(w)) return false;
    // The open Desk's backdrop hangs there too, mapped later, while the notch's own window
    // stays mapped from start-up on.
    for (auto it = m_windows.cbegin(); it != m_windows.cend(); ++it)
        if (it.key() != id && it->pid == w.pid && hangsCentred(*it) &&
            std::pair(it->mappedNs, it.key()) < std::pair(w.mappedNs, id))
            return false;
    return true;
}

void WindowLog::addLine(const QByteArray& line) {
    const QList<QByteArray> f = line.split(' ');
    if (f.size() < 2) return;
    const qint64 t = f[0].toLongLong();
    const QByteArray& verb = f[1];
    if (verb == "ready") {
        m_ready = true;
        m_compositor = line.contains(" cm=1");
        const QList<QByteArray> size = f.value(3).mid(7).split('x'); // screen=WxH
        m_screen = QSize(size.value(0).toInt(), size.value(1).toInt());
        return;
    }
    if (verb == "clicked" || verb == "moved" || verb == "keyed") {
        m_inputDone = t;
        return;
    }
    if (verb == "snapshot") {
        m_snapshot = QString::fromUtf8(f.mid(3).join(' '));
        return;
    }
    bool ok = false;
    const quint32 id = f.value(2).toUInt(&ok, 16);
    if (!ok) return;
    Window& w = m_windows[id];
    Event e{t, Kind::Map, id, 0, {}, false};
    if (verb == "map" && f.size() >= 8) {
        w.pid = f[3].toUInt();
        w.mapped = true;
        w.mappedNs = t;
        w.geometry = QRect(f[4].toInt(), f[5].toInt(), f[6].toInt(), f[7].toInt());
    } else if (verb == "configure" && f.size() >= 7) {
        e.kind = Kind::Configure;
        w.geometry = QRect(f[3].toInt(), f[4].toInt(), f[5].toInt(), f[6].toInt());
    } else if (verb == "damage") {
        e.kind = Kind::Damage;
    } else if (verb == "unmap") {
        e.kind = Kind::Unmap;
        w.mapped = false;
    } else if (verb == "destroy") {
        e.kind = Kind::Destroy;
        w.mapped = false;
    } else {
        return;
    }
    e.pid = w.pid;
    e.geometry = w.geometry;
    e.notch = isNotch(id);
    m_events.append(e);
    if (e.kind == Kind::Destroy) m_windows.remove(id);
}

std::optional<WindowLog::Event> WindowLog::firstNotchPaint(quint32 pid, qint64 afterNs) const {
    for (const Event& e : m_events)
        if (e.kind == Kind::Damage && e.pid == pid && e.notch && e.timeNs >= afterNs) return e;
    return std::nullopt;
}

QList<WindowLog::Event> WindowLog::notchPaints(quint32 pid, qint64 afterNs) const {
    QList<Event> result;
    for (const Event& e : m_events)
        if (e.kind == Kind::Damage && e.pid == pid && e.notch && e.timeNs >= afterNs) result.append(e);
    return result;
}

int WindowLog::paints(quint32 pid, qint64 fromNs, qint64 toNs) const {
    int n = 0;
    for (const Event& e : m_events)
        if (e.kind == Kind::Damage && e.pid == pid && e.timeNs >= fromNs && e.timeNs < toNs) ++n;
    return n;
}

qint64 WindowLog::lastPaint(quint32 pid) const {
    for (auto it = m_events.crbegin(); it != m_events.crend(); ++it)
        if (it->kind == Kind::Damage && it->pid == pid) return it->timeNs;
    return 0;
}

std::optional<WindowLog::Event> WindowLog::notchWindow(quint32 pid) const {
    for (auto it = m_windows.cbegin(); it != m_windows.cend(); ++it)
        if (it->pid == pid && isNotch(it.key()))
            return Event{0, Kind::Map, it.key(), it->pid, it->geometry, true};
    return std::nullopt;
}

} // namespace vesk::bench
