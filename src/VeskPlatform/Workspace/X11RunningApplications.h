#pragma once

#include "VeskPlatform/Workspace/RunningApplications.h"

#include <QAbstractNativeEventFilter>
#include <QHash>

#include <cstdint>

namespace vesk {

// Running applications as the window manager lists their windows: the root window's
// _NET_CLIENT_LIST, read again at the first question after it changed (a property
// notification), each window's facts read once when it first appears. Nothing runs
// while nobody asks. Windows of Wayland-native programs are not on that list.
class X11RunningApplications final : public RunningApplications, private QAbstractNativeEventFilter {
public:
    // Call isValid() to know whether the display could be read.
    X11RunningApplications();
    ~X11RunningApplications() override;
    X11RunningApplications(const X11RunningApplications&) = delete;
    X11RunningApplications& operator=(const X11RunningApplications&) = delete;

    bool isValid() const { return m_root != 0; }
    bool isRunning(const DesktopEntry& entry) override;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void refresh();
    AppWindow readWindow(uint32_t window) const;

    uint32_t m_root = 0;
    uint32_t m_clientList = 0;
    uint32_t m_pid = 0;
    bool m_stale = true;
    QHash<uint32_t, AppWindow> m_windows;
};

} // namespace vesk
