#include "VeskPlatform/Screens/Panel/WorkspaceHints.h"

#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QList>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstring>

namespace vesk {

namespace {

constexpr uint32_t allDesktops = 0xFFFFFFFF;
constexpr uint32_t netWmStateAdd = 1;
constexpr uint32_t sourceApplication = 1;

void sendToRoot(const x11::Connection& c, xcb_window_t window, uint32_t type, const uint32_t (&data)[5]) {
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::memcpy(event.data.data32, data, sizeof data);
    xcb_send_event(c.xcb, 0, c.root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

QList<uint32_t> currentStates(const x11::Connection& c, xcb_window_t window, uint32_t property) {
    QList<uint32_t> atoms;
    auto cookie = xcb_get_property(c.xcb, 0, window, property, XCB_ATOM_ATOM, 0, 1024);
    const x11::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c.xcb, cookie, nullptr));
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        for (int i = 0; i < count; ++i)
            atoms.append(values[i]);
    }
    return atoms;
}

} // namespace

bool applyWorkspaceHints(QWindow* window) {
    const auto c = x11::connection();
    if (!c || !window || !window->handle()) return false;
    const auto id = xcb_window_t(window->winId());

    const uint32_t desktop = x11::atom("_NET_WM_DESKTOP");
    const uint32_t state = x11::atom("_NET_WM_STATE");
    const uint32_t wanted[] = {x11::atom("_NET_WM_STATE_STICKY"), x11::atom("_NET_WM_STATE_SKIP_TASKBAR"),
                               x11::atom("_NET_WM_STATE_SKIP_PAGER"), x11::atom("_NET_WM_STATE_ABOVE")};

    // Qt merges its own states into what the property already holds when it maps the
    // window, so states written here survive a later show().
    QList<uint32_t> states = currentStates(*c, id, state);
    for (uint32_t atom : wanted)
        if (!states.contains(atom)) states.append(atom);
    xcb_change_property(c->xcb, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, uint32_t(states.size()),
                        states.constData());
    xcb_change_property(c->xcb, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);

    if (window->isVisible()) {
        // A mapped window's properties belong to the window manager; ask it instead.
        sendToRoot(*c, id, desktop, {allDesktops, sourceApplication, 0, 0, 0});
        sendToRoot(*c, id, state, {netWmStateAdd, wanted[0], wanted[1], sourceApplication, 0});
        sendToRoot(*c, id, state, {netWmStateAdd, wanted[2], wanted[3], sourceApplication, 0});
    }
    xcb_flush(c->xcb);
    return true;
}

} // namespace vesk
