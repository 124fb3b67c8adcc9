#pragma once

#include <QtGlobal>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vesk::test {

// Another X client: sees the core key events that reach the root window (what the
// desktop's own key handling would get), and can hold a key grabbed like a desktop does.
class Bystander {
public:
    Bystander() {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection)) return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const quint32 mask = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~Bystander() {
        if (m_connection) xcb_disconnect(m_connection);
    }
    bool ok() const { return m_connection && !xcb_connection_has_error(m_connection); }

    // The keysyms of each keycode in the server's keymap, from its first keycode on.
    std::vector<std::vector<xcb_keysym_t>> keymap() const {
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        const auto count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
        auto* reply = xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, count), nullptr);
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        std::vector<std::vector<xcb_keysym_t>> map(count);
        for (int i = 0; i < count; ++i)
            map[i].assign(syms + i * reply->keysyms_per_keycode, syms + (i + 1) * reply->keysyms_per_keycode);
        std::free(reply);
        return map;
    }
    xcb_keycode_t keycodeOf(xcb_keysym_t keysym) const {
        const auto map = keymap();
        for (size_t i = 0; i < map.size(); ++i)
            if (map[i].front() == keysym) return xcb_keycode_t(xcb_get_setup(m_connection)->min_keycode + i);
        return 0;
    }
    // A keycode that carries nothing.
    xcb_keycode_t freeKeycode() const {
        const auto map = keymap();
        for (size_t i = 1; i < map.size(); ++i)
            if (std::all_of(map[i].begin(), map[i].end(), [](xcb_keysym_t s) { return s == 0; }))
                return xcb_keycode_t(xcb_get_setup(m_connection)->min_keycode + i);
        return 0;
    }

    bool grab(xcb_keysym_t keysym) {
        xcb_generic_error_t* error = xcb_request_check(
            m_connection, xcb_grab_key_checked(m_connection, 1, m_root, XCB_MOD_MASK_ANY, keycodeOf(keysym),
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }

    // Gives the keyboard back to the root window, with the pointer over no window of
    // another client: keys then reach the root window, where this listens.
    void focusRoot() {
        xcb_warp_pointer(m_connection, XCB_NONE, m_root, 0, 0, 0, 0, 1, 1);
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT,
                            XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    // Lets the key go, once the server has done so.
    void release(xcb_keysym_t keysym) {
        xcb_ungrab_key(m_connection, keycodeOf(keysym), m_root, XCB_MOD_MASK_ANY);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    // Key presses of `keysym` seen so far.
    int presses(xcb_keysym_t keysym) {
        drain();
        int count = 0;
        for (xcb_keycode_t keycode : m_pressed)
            count += keycode == keycodeOf(keysym);
        return count;
    }

private:
    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7F) == XCB_KEY_PRESS)
                m_pressed.push_back(reinterpret_cast<xcb_key_press_event_t*>(event)->detail);
            std::free(event);
        }
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    std::vector<xcb_keycode_t> m_pressed;
};

} // namespace vesk::test
