#include "Vesk/Shell/AppDelegate.h"
#include "Vesk/Shell/DisplayLoss.h"
#include "Vesk/Shell/ExitWatchdog.h"
#include "Vesk/Shell/ShellFactory.h"
#include "Vesk/Shell/SingleInstanceLock.h"
#include "Vesk/Shell/TerminationSignals.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskPlatform/Audio/PulseAudioHardware.h"
#include "VeskPlatform/Workspace/ChildEnvironment.h"

#include <QApplication>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>

namespace {

// How long ending may take: after a termination request, and after the display went away.
constexpr double quitPatience = 15.0;
constexpr double displayLossPatience = 1.5;

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Both are ours alone: the programs we start get the user's environment back.
    vesk::childEnvironment::setForThisProcess("QT_QPA_PLATFORM", "xcb");

    // libdbus aborts the process on a caller's mistake by default, and Qt 6.4's D-Bus
    // thread makes one (a blocking wait on a call that was never sent) when the session
    // bus goes away under a new subscription: the bus's loss must end us through
    // SIGTERM, not an abort. The mistake is then a warning.
    vesk::childEnvironment::setForThisProcess("DBUS_FATAL_WARNINGS", "0");

    // Checked before connecting to the display, so a second copy leaves at once.
    const QString display = qEnvironmentVariable("DISPLAY");
    vesk::SingleInstanceLock lock(vesk::SingleInstanceLock::pathForDisplay(display));
    if (!lock.tryLock()) {
        const QString where =
            display.isEmpty() ? QStringLiteral("without a display") : QStringLiteral("on display ") + display;
        if (lock.error().isEmpty())
            std::fprintf(stderr, "vesk-notch: VeskNotch is already running for this user %s.\n",
                         qPrintable(where));
        else
            std::fprintf(stderr, "vesk-notch: cannot take the lock %s: %s\n", qPrintable(lock.path()),
                         qPrintable(lock.error()));
        return 1;
    }

    // Everything long-lived lives in this scope: exit(), which libraries may call from
    // inside the event loop, destroys nothing of it.
    vesk::displayLoss::watchStartUp();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VeskNotch"));
    QApplication::setApplicationVersion(QStringLiteral(VESK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vesk-notch"));

    vesk::AppDelegate* running = nullptr;
    vesk::displayLoss::install(
        [&running] {
            if (running) running->applicationWillTerminate();
        },
        displayLossPatience);

    // The sound server's connection and its thread, which the services share.
    vesk::PulseAudioHardware soundServer;
    vesk::AudioHardware::setShared(&soundServer);

    vesk::TerminationSignals termination;
    QObject::connect(&termination, &vesk::TerminationSignals::terminationRequested, &application,
                     &QCoreApplication::quit);

    vesk::AppDelegate delegate(vesk::systemShellFactory());
    running = &delegate;
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate, [&delegate] {
        vesk::exitWatchdog::arm(quitPatience, "vesk-notch: ending took too long; stopped.\n", 1);
        delegate.applicationWillTerminate();
    });
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });

    const int status = application.exec();
    vesk::SerialQueue::awaitRetired();
    // Work handed to the shared pool delivers through the application object and reads
    // process-wide caches: it ends before they do (the exit watchdog bounds the wait).
    QThreadPool::globalInstance()->waitForDone();
    vesk::displayLoss::uninstall();
    running = nullptr;
    return status;
}
