#include "VeskPlatform/Input/X11RootInputMask.h"

#include <QHash>

#include <cstdlib>
#include <cstring>

#include <xcb/xinput.h>

namespace vesk {

namespace {

QHash<const void*, quint64>& owners() {
    static QHash<const void*, quint64> table;
    return table;
}

// What the server accepted last; a refused selection leaves the one before in place.
quint64& accepted() {
    static quint64 mask = 0;
    return mask;
}

} // namespace

bool X11RootInputMask::select(xcb_connection_t* connection, xcb_window_t root, const void* owner,
                              quint64 mask) {
    if (mask)
        owners().insert(owner, mask);
    else
        owners().remove(owner);
    quint64 combined = 0;
    for (quint64 m : std::as_const(owners()))
        combined |= m;

    struct {
        xcb_input_event_mask_t header;
        quint32 bits[2];
    } selection{};
    selection.header.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    selection.header.mask_len = 2;
    selection.bits[0] = static_cast<quint32>(combined);
    selection.bits[1] = static_cast<quint32>(combined >> 32);
    xcb_generic_error_t* error = xcb_request_check(
        connection, xcb_input_xi_select_events_checked(connection, root, 1, &selection.header));
    const bool ok = error == nullptr;
    std::free(error);
    if (ok) accepted() = combined;
    return ok;
}

bool X11RootInputMask::isHeld(quint64 mask) {
    return (accepted() & mask) == mask;
}

bool X11RootInputMask::isSelected(xcb_connection_t* connection, xcb_window_t root, quint64 mask) {
    auto* reply = xcb_input_xi_get_selected_events_reply(
        connection, xcb_input_xi_get_selected_events(connection, root), nullptr);
    if (!reply) return false;
    quint64 held = 0;
    for (auto it = xcb_input_xi_get_selected_events_masks_iterator(reply); it.rem;
         xcb_input_event_mask_next(&it)) {
        if (it.data->deviceid != XCB_INPUT_DEVICE_ALL_MASTER) continue;
        const auto* bits = reinterpret_cast<const quint32*>(it.data + 1);
        for (int i = 0; i < it.data->mask_len && i < 2; ++i)
            held |= quint64(bits[i]) << (32 * i);
    }
    std::free(reply);
    return (held & mask) == mask;
}

} // namespace vesk
