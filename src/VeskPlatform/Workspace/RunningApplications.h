#pragma once

#include "VeskPlatform/Workspace/DesktopApplications.h"

#include <QString>

#include <memory>

namespace vesk {

// The facts of one top-level window that tell which application it belongs to.
struct AppWindow {
    // WM_CLASS: the instance and class names.
    QString instance;
    QString windowClass;
    // The file name of the program that owns the window (from its _NET_WM_PID), or empty.
    QString program;

    friend bool operator==(const AppWindow&, const AppWindow&) = default;
};

// Whether an application has a window open on the desktop.
class RunningApplications {
public:
    virtual ~RunningApplications() = default;
    virtual bool isRunning(const DesktopEntry& entry) = 0;

    // Over X11 when the program runs there; else one that sees nothing running.
    static std::unique_ptr<RunningApplications> create();

    // A window belongs to the entry when its class or instance is the entry's
    // StartupWMClass; or names the entry's id without ".desktop" (or its last
    // dot-separated part), ignoring case; or its program is the entry's executable
    // (launchers and interpreters such as env, sh or python3 never count).
    static bool belongsTo(const AppWindow& window, const DesktopEntry& entry);
};

} // namespace vesk
