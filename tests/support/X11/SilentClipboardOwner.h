#pragma once

#include <xcb/xcb.h>

#include <cstdlib>

namespace vesk::test {

// Another program that takes the X clipboard and never answers a request for it. Its
// claim is stamped with the server's present time, newer than any this process's Qt has
// seen: when it goes, Qt is handed a fresh time, or its next claim of the clipboard,
// stamped with its older one, would be refused.
class SilentClipboardOwner {
public:
    SilentClipboardOwner() : m_connection(xcb_connect(nullptr, nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        auto* clipboard =
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, 9, "CLIPBOARD"), nullptr);
        xcb_set_selection_owner(m_connection, window, clipboard->atom, XCB_CURRENT_TIME);
        free(clipboard);
        // A round trip, so the server has made us the owner before anyone asks.
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    ~SilentClipboardOwner();
    SilentClipboardOwner(const SilentClipboardOwner&) = delete;
    SilentClipboardOwner& operator=(const SilentClipboardOwner&) = delete;

private:
    xcb_connection_t* m_connection;
};

} // namespace vesk::test
