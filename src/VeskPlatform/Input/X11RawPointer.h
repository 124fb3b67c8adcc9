#pragma once

#include <QByteArray>
#include <QPointF>

#include <optional>

#include <xcb/xcb.h>

namespace vesk {

// Qt's own X connection when the server has XInput2 2.1 or later, which delivers raw
// events on the root window for every click and key anywhere, also while another client
// holds a grab (a drag source does). Main thread only.
struct X11RawPointer {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    quint8 xiOpcode = 0;

    // Nothing on any other platform, or without XInput2 2.1.
    static std::optional<X11RawPointer> open();

    enum class Kind { press, release, motion };
    struct Event {
        Kind kind;
        int button; // 1 left, 2 middle, 3 right; 0 for motion
    };
    // The raw button or motion event carried by a native xcb event, if it is one.
    std::optional<Event> rawEvent(const QByteArray& eventType, void* message) const;

    // The pointer buttons held now (X11 button mask bits), read from the server (one
    // round trip); nothing when the server did not answer.
    std::optional<quint16> queryButtons() const;
};

// Whether a window of this program (a notch panel, a menu, a dialog) takes the pointer at
// `position`, as the server routes input: where a window lets clicks through, the window
// below counts. An open popup menu counts everywhere: it takes the next click itself.
bool isOwnWindowAt(const QPointF& position);

} // namespace vesk
