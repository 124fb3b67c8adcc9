#pragma once

class QWindow;

namespace vesk {

// Asks the window manager to show a panel on every workspace and keep it out of task
// bars and pagers: `_NET_WM_DESKTOP` 0xFFFFFFFF and `_NET_WM_STATE` sticky, skip-taskbar,
// skip-pager and above. Written as properties (honoured when the window maps) and, for a
// window already on screen, also sent as the client messages a window manager expects.
// False when the platform is not X11 or the window has no native handle yet.
bool applyWorkspaceHints(QWindow* window);

} // namespace vesk
