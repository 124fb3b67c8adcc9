#pragma once

#include <QtGlobal>

#include <xcb/xcb.h>

namespace vesk {

// An X client has one XInput2 event mask per window and device: selecting again replaces
// it. Every part of this program that selects XInput2 events on the root window for all
// master devices goes through here, so that each one's events add up instead of one
// selection silently dropping another's. Main thread.
class X11RootInputMask {
public:
    // Sets the XI event-mask bits (1 << XI event type) that `owner` wants; 0 removes the
    // owner. Returns whether the server accepted the combined selection.
    static bool select(xcb_connection_t* connection, xcb_window_t root, const void* owner, quint64 mask);
    // Whether the server holds all of `mask` for the root window and all master devices
    // (one round trip).
    static bool isSelected(xcb_connection_t* connection, xcb_window_t root, quint64 mask);
    // The same from the last selection the server accepted, without asking it: no other
    // client can change this program's selections, and here only select() does.
    static bool isHeld(quint64 mask);
};

} // namespace vesk
