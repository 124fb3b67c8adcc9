#pragma once

#include "VeskPlatform/Pasteboard/ClipboardReader.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace vesk {

// The CLIPBOARD selection read over a connection of our own, so a slow owner stalls
// only the thread reading. Conversions go to a hidden window; large data arrives by the
// INCR protocol, stopped once it passes the caller's limit. Connects on first use on the
// reading thread; every call must come from that one thread.
class X11ClipboardReader final : public ClipboardReader {
public:
    // `display`: the X display to read, as DISPLAY names it.
    explicit X11ClipboardReader(QByteArray display);
    ~X11ClipboardReader() override;

    QStringList types() override;
    ClipboardData data(const QString& type, qint64 limit) override;
    void interrupt() override { m_interrupted = true; }

private:
    using Event = std::unique_ptr<xcb_generic_event_t, void (*)(void*)>;

    bool connect();
    void disconnect();
    uint32_t atom(const QByteArray& name);
    ClipboardData convert(uint32_t target, qint64 limit);
    ClipboardData receiveIncrementally(qint64 limit);
    // The next event that `matches`, or null once the deadline passed, the connection
    // broke or the reader was interrupted.
    Event waitFor(const std::function<bool(const xcb_generic_event_t*)>& matches, QDeadlineTimer deadline);
    void discardPendingEvents();

    QByteArray m_display;
    xcb_connection_t* m_connection = nullptr;
    uint32_t m_window = 0;
    uint32_t m_clipboard = 0;
    uint32_t m_property = 0;
    uint32_t m_incr = 0;
    int m_abandoned = 0;
    QHash<QByteArray, uint32_t> m_atoms;
    QHash<uint32_t, QString> m_names;
    std::atomic<bool> m_interrupted{false};
};

} // namespace vesk
