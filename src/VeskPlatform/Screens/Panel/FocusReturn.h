#pragma once

#include <cstdint>

class QWindow;

namespace vesk {

// A panel that takes the keyboard only while asked (the open desk) should hand it back
// to the window the user was typing in when it lets go, rather than leave it on a panel
// that no longer wants keys. Remembers that window and reactivates it. X11 only; on any
// other platform both calls do nothing.
class FocusReturn {
public:
    // Notes the window that has the keyboard now; call just before taking it.
    void remember();
    // When `panel` still has the keyboard, gives it back to the remembered window and
    // returns true. Forgets the remembered window either way.
    bool giveBack(QWindow* panel);

    bool hasRemembered() const { return m_focus != 0 || m_active != 0; }

private:
    uint32_t m_focus = 0;  // the X input focus
    uint32_t m_active = 0; // the window manager's active window, when it keeps one
};

} // namespace vesk
