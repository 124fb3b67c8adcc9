#pragma once

#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

namespace vesk::test {

// The window that has the keyboard focus on the X server, as the server sees it.
inline uint32_t focusedWindow() {
    const auto c = x11::connection();
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(c->xcb, xcb_get_input_focus(c->xcb), nullptr);
    const uint32_t focus = reply ? reply->focus : 0;
    std::free(reply);
    return focus;
}

} // namespace vesk::test
