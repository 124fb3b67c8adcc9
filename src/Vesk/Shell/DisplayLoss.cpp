#include "Vesk/Shell/DisplayLoss.h"

#include "Vesk/Shell/ExitWatchdog.h"
#include "Vesk/Shell/SingleInstanceLock.h"
#include "VeskKit/Diagnostics/TraceLog.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QThread>

#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace vesk::displayLoss {

namespace {

constexpr const char* lostLine = "vesk-notch: the display went away; ending.\n";
constexpr const char* stuckLine = "vesk-notch: ending after the display went away took too long; stopped.\n";

std::function<void()> lostHandler;
double lostPatience = 1.5;
bool installed = false;
bool ending = false;

// Ends the process with what it wrote flushed and its lock let go: neither static
// destructors nor the rest of exit() run.
[[noreturn]] void endNow() {
    std::fflush(nullptr);
    SingleInstanceLock::releaseHeld();
    ::_exit(1);
}

// Stops what can be stopped and ends the process.
[[noreturn]] void end() {
    if (!ending) {
        ending = true;
        exitWatchdog::arm(lostPatience, stuckLine, 1);
        std::fputs(lostLine, stderr);
        TraceLog::trace(QStringLiteral("display went away; ending"));
        if (lostHandler) lostHandler();
    }
    endNow();
}

// Qt calls exit() on the main thread when it finds its X connection broken. exit()
// destroys the calling thread's thread_local objects first, before any static one:
// this sentinel's destructor is the first thing exit() runs.
struct ExitSentinel {
    ~ExitSentinel() {
        if (installed) end();
    }
};
thread_local ExitSentinel sentinel;

// Xlib's answer to a broken connection.
int onIOErrorQuietly(Display*) {
    return 0;
}

// Once this returns, every request on the display fails and Xlib's own request
// functions write through the null request they get back: the call that met the
// broken connection (Qt making a window while the program starts, say) would crash
// the moment it went on. On the main thread, where Qt makes its Xlib calls, the
// program ends here instead; its ending makes no Xlib call. Elsewhere it ends from
// the event loop, under the watchdog from now on.
void onIOErrorExit(Display*, void*) {
    if (!installed) return;
    exitWatchdog::arm(lostPatience, stuckLine, 1);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) end();
    QMetaObject::invokeMethod(
        app, [] { end(); }, Qt::QueuedConnection);
}

QtMessageHandler previousHandler = nullptr;
bool startingUp = false;

// A connection that breaks while Qt is still making the application: nothing runs yet
// that needs stopping, and the answers of Xlib and Qt would end the process through
// exit() with their own notes, or none.
[[noreturn]] void endWhileStarting() {
    std::fputs(lostLine, stderr);
    endNow();
}

int onIOErrorWhileStarting(Display*) {
    endWhileStarting();
}

// A write to a server that went away then fails instead of ending the process, and the
// broken connection takes one of the paths here. A handler, unlike ignoring the signal,
// is not passed on to the programs we start.
void onBrokenPipe(int) {}

void filterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (startingUp && message.startsWith(QLatin1String("The X11 connection broke"))) endWhileStarting();
    // Ours says it, once.
    if (message.startsWith(QLatin1String("The X11 connection broke")) ||
        (startingUp && (message.startsWith(QLatin1String("could not connect to display")) ||
                        message.startsWith(QLatin1String("Could not load the Qt platform plugin")))))
        return;
    if (type == QtFatalMsg && startingUp) {
        std::fprintf(stderr, "vesk-notch: cannot reach the display %s; ending.\n",
                     qgetenv("DISPLAY").constData());
        endNow();
    }
    if (previousHandler) previousHandler(type, context, message);
}

} // namespace

void watchStartUp() {
    startingUp = true;
    previousHandler = qInstallMessageHandler(filterMessages);
    XSetIOErrorHandler(onIOErrorWhileStarting);
    struct sigaction action {};
    action.sa_handler = onBrokenPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &action, nullptr);
}

void install(std::function<void()> onLost, double patience) {
    lostHandler = std::move(onLost);
    lostPatience = patience;
    installed = true;
    startingUp = false;
    // Constructs the main thread's sentinel.
    [[maybe_unused]] ExitSentinel* here = &sentinel;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->display()) {
        XSetIOErrorHandler(onIOErrorQuietly);
        XSetIOErrorExitHandler(x11->display(), onIOErrorExit, nullptr);
    }
}

void uninstall() {
    installed = false;
    lostHandler = nullptr;
}

} // namespace vesk::displayLoss
