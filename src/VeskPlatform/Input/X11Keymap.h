#pragma once

#include <QList>
#include <QSet>

#include <optional>
#include <vector>

#include <xcb/xcb.h>

namespace vesk {

// The X server's keyboard and modifier mapping, as far as a key tap needs it.
struct X11Keymap {
    quint32 minKeycode = 0;
    quint32 maxKeycode = 0;
    int keysymsPerKeycode = 0;
    std::vector<xcb_keysym_t> keysyms;

    QSet<quint32> shiftKeycodes;
    QSet<quint32> altKeycodes;
    quint16 altMask = XCB_MOD_MASK_1;
    quint16 numLockMask = 0;

    // Round trips to the server: call at set-up and after a mapping change, not per key.
    static std::optional<X11Keymap> load(xcb_connection_t* connection);

    // The keysym of a keycode's first level, where the media keys sit.
    xcb_keysym_t keysym(quint32 keycode) const;
    // Every keycode whose first level carries `keysym` (Xvfb has some on several).
    QList<quint32> keycodesFor(xcb_keysym_t keysym) const;
    // The modifier masks under which a grab must be repeated so that the key is taken
    // with Shift and Alt held or not, and whatever Caps Lock and Num Lock are.
    QList<quint16> grabModifierCombinations() const;
};

// The auxiliary key code of a media keysym, or -1.
int auxKeyCodeForKeysym(xcb_keysym_t keysym);
// The keysyms that carry an auxiliary key code.
QList<xcb_keysym_t> keysymsForAuxKeyCode(int keyCode);
// The X name of a media keysym, for messages ("XF86AudioRaiseVolume").
QString keysymName(xcb_keysym_t keysym);

} // namespace vesk
