#pragma once

#include "VeskPlatform/Screens/Panel/X11Connection.h"
#include "support/EventLoop.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <xcb/xcb.h>

#include <cstring>

namespace vesk::test {

// Runs the event loop until Qt's X connection has handled every event the server had
// sent it when this was called (a keymap change another client made, a grab's effect):
// a message this process sends itself is queued behind them, so once it arrives they
// have all been through Qt's native event filters. False if it never arrived.
inline bool waitForX11EventsSoFar() {
    const auto c = x11::connection();
    if (!c) return false;
    xcb_connection_t* xcb = c->xcb;

    // An input-only window of our own, never mapped, to address the message to.
    const xcb_window_t window = xcb_generate_id(xcb);
    xcb_create_window(xcb, 0, window, c->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t type = x11::atom("VESK_TEST_EVENT_BARRIER");

    struct Filter : QAbstractNativeEventFilter {
        xcb_window_t window = 0;
        bool arrived = false;
        bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
            if (eventType != "xcb_generic_event_t") return false;
            auto* event = static_cast<xcb_generic_event_t*>(message);
            if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
            if (reinterpret_cast<xcb_client_message_event_t*>(event)->window != window) return false;
            arrived = true;
            return true;
        }
    } filter;
    filter.window = window;
    QCoreApplication::instance()->installNativeEventFilter(&filter);

    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    // With no event mask the server hands the event to the window's creator: us.
    xcb_send_event(xcb, 0, window, 0, reinterpret_cast<const char*>(&event));
    xcb_flush(xcb);

    const bool arrived = processEventsUntil([&] { return filter.arrived; });
    QCoreApplication::instance()->removeNativeEventFilter(&filter);
    xcb_destroy_window(xcb, window);
    xcb_flush(xcb);
    return arrived;
}

} // namespace vesk::test
