#include "VeskPlatform/Input/X11Keymap.h"
#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QString>

#include <array>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace vesk {

namespace {

struct MediaKeysym {
    xcb_keysym_t keysym;
    int auxKeyCode;
    const char* name;
};

// The media keys and the auxiliary key codes they stand for. Play and pause are one
// play/pause key.
constexpr std::array<MediaKeysym, 13> mediaKeysyms{{
    {XF86XK_AudioRaiseVolume, 0, "XF86AudioRaiseVolume"},
    {XF86XK_AudioLowerVolume, 1, "XF86AudioLowerVolume"},
    {XF86XK_MonBrightnessUp, 2, "XF86MonBrightnessUp"},
    {XF86XK_MonBrightnessDown, 3, "XF86MonBrightnessDown"},
    {XF86XK_AudioMute, 7, "XF86AudioMute"},
    {XF86XK_AudioPlay, 16, "XF86AudioPlay"},
    {XF86XK_AudioPause, 16, "XF86AudioPause"},
    {XF86XK_AudioNext, 17, "XF86AudioNext"},
    {XF86XK_AudioPrev, 18, "XF86AudioPrev"},
    {XF86XK_AudioForward, 19, "XF86AudioForward"},
    {XF86XK_AudioRewind, 20, "XF86AudioRewind"},
    {XF86XK_KbdBrightnessUp, 21, "XF86KbdBrightnessUp"},
    {XF86XK_KbdBrightnessDown, 22, "XF86KbdBrightnessDown"},
}};

using x11::Reply;

} // namespace

int auxKeyCodeForKeysym(xcb_keysym_t keysym) {
    for (const MediaKeysym& entry : mediaKeysyms)
        if (entry.keysym == keysym) return entry.auxKeyCode;
    return -1;
}

QList<xcb_keysym_t> keysymsForAuxKeyCode(int keyCode) {
    QList<xcb_keysym_t> out;
    for (const MediaKeysym& entry : mediaKeysyms)
        if (entry.auxKeyCode == keyCode) out.append(entry.keysym);
    return out;
}

QString keysymName(xcb_keysym_t keysym) {
    for (const MediaKeysym& entry : mediaKeysyms)
        if (entry.keysym == keysym) return QString::fromLatin1(entry.name);
    return QStringLiteral("0x%1").arg(keysym, 0, 16);
}

std::optional<X11Keymap> X11Keymap::load(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    X11Keymap map;
    map.minKeycode = setup->min_keycode;
    map.maxKeycode = setup->max_keycode;
    const auto count = static_cast<uint8_t>(map.maxKeycode - map.minKeycode + 1);
    const auto mappingCookie = xcb_get_keyboard_mapping(connection, setup->min_keycode, count);
    const auto modifierCookie = xcb_get_modifier_mapping(connection);

    Reply<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(connection, mappingCookie, nullptr));
    Reply<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(connection, modifierCookie, nullptr));
    if (!mapping || !modifiers) return std::nullopt;

    map.keysymsPerKeycode = mapping->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    map.keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(mapping.get()));

    const auto carries = [&map](quint32 keycode, std::initializer_list<xcb_keysym_t> wanted) {
        if (keycode < map.minKeycode || keycode > map.maxKeycode || map.keysymsPerKeycode == 0) return false;
        const size_t base = (keycode - map.minKeycode) * static_cast<size_t>(map.keysymsPerKeycode);
        for (int level = 0; level < map.keysymsPerKeycode; ++level)
            for (xcb_keysym_t sym : wanted)
                if (base + level < map.keysyms.size() && map.keysyms[base + level] == sym) return true;
        return false;
    };

    // Rows of the modifier map: Shift, Lock, Control, Mod1 ... Mod5.
    const int perModifier = modifiers->keycodes_per_modifier;
    const xcb_keycode_t* modKeycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    int altRow = -1;
    for (int row = 0; row < 8; ++row) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = modKeycodes[row * perModifier + i];
            if (keycode == 0) continue;
            if (row == 0) map.shiftKeycodes.insert(keycode);
            if (row >= 3 && altRow < 0 && carries(keycode, {XK_Alt_L, XK_Alt_R})) altRow = row;
            if (row >= 3 && map.numLockMask == 0 && carries(keycode, {XK_Num_Lock}))
                map.numLockMask = static_cast<quint16>(1u << row);
        }
    }
    if (altRow < 0) altRow = 3; // Mod1, where Alt nearly always is
    map.altMask = static_cast<quint16>(1u << altRow);
    for (int i = 0; i < perModifier; ++i)
        if (const xcb_keycode_t keycode = modKeycodes[altRow * perModifier + i])
            map.altKeycodes.insert(keycode);
    return map;
}

xcb_keysym_t X11Keymap::keysym(quint32 keycode) const {
    if (keycode < minKeycode || keycode > maxKeycode || keysymsPerKeycode == 0) return 0;
    const size_t index = (keycode - minKeycode) * static_cast<size_t>(keysymsPerKeycode);
    return index < keysyms.size() ? keysyms[index] : 0;
}

QList<quint32> X11Keymap::keycodesFor(xcb_keysym_t wanted) const {
    QList<quint32> out;
    for (quint32 keycode = minKeycode; keycode <= maxKeycode; ++keycode)
        if (keysym(keycode) == wanted) out.append(keycode);
    return out;
}

QList<quint16> X11Keymap::grabModifierCombinations() const {
    QList<quint16> out;
    const QList<quint16> held{0, XCB_MOD_MASK_SHIFT, altMask,
                              static_cast<quint16>(XCB_MOD_MASK_SHIFT | altMask)};
    QList<quint16> locks{0, XCB_MOD_MASK_LOCK};
    if (numLockMask) locks << numLockMask << static_cast<quint16>(XCB_MOD_MASK_LOCK | numLockMask);
    for (quint16 h : held)
        for (quint16 l : locks)
            out.append(static_cast<quint16>(h | l));
    return out;
}

} // namespace vesk
