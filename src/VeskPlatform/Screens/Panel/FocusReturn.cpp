#include "VeskPlatform/Screens/Panel/FocusReturn.h"

#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace vesk {

namespace {

uint32_t activeWindow(const x11::Connection& c) {
    auto cookie = xcb_get_property(c.xcb, 0, c.root, x11::atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1);
    const x11::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c.xcb, cookie, nullptr));
    uint32_t window = 0;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4)
        window = *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return window;
}

uint32_t inputFocus(const x11::Connection& c) {
    const x11::Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(c.xcb, xcb_get_input_focus(c.xcb), nullptr));
    const uint32_t window = reply ? reply->focus : 0;
    // PointerRoot and None are not windows to go back to.
    return window > 1 ? window : 0;
}

} // namespace

void FocusReturn::remember() {
    m_focus = m_active = 0;
    const auto c = x11::connection();
    if (!c) return;
    m_active = activeWindow(*c);
    m_focus = inputFocus(*c);
}

bool FocusReturn::giveBack(QWindow* panel) {
    const uint32_t focus = m_focus;
    const uint32_t active = m_active;
    m_focus = m_active = 0;
    const auto c = x11::connection();
    if (!c || !panel || !panel->handle()) return false;
    const auto ours = uint32_t(panel->winId());
    const uint32_t managerActive = activeWindow(*c);
    const bool holdsKeyboard = inputFocus(*c) == ours || managerActive == ours;
    if (!holdsKeyboard) return false;

    if (managerActive != 0 && active != 0 && active != ours) {
        // Source "pager": window managers grant it without focus-stealing checks.
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = active;
        event.type = x11::atom("_NET_ACTIVE_WINDOW");
        event.data.data32[0] = 2;
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c->xcb, 0, c->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    } else {
        // No window manager keeps an active window: move the X focus back directly,
        // or to the pointer's window when nothing was focused before.
        // The window may be gone by now: check the request so its error stays here.
        const uint32_t target = focus ? focus : uint32_t(XCB_INPUT_FOCUS_POINTER_ROOT);
        std::free(xcb_request_check(c->xcb, xcb_set_input_focus_checked(c->xcb, XCB_INPUT_FOCUS_POINTER_ROOT,
                                                                        target, XCB_CURRENT_TIME)));
    }
    xcb_flush(c->xcb);
    return true;
}

} // namespace vesk
