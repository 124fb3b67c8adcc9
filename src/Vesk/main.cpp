#include "Vesk/Shell/AppDelegate.h"
#include "Vesk/Shell/ShellFactory.h"
#include "Vesk/Shell/SingleInstanceLock.h"
#include "Vesk/Shell/TerminationSignals.h"
#include "VeskPlatform/Workspace/ChildEnvironment.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// The application and its delegate live for the whole run.
std::unique_ptr<QApplication> application;
std::unique_ptr<vesk::AppDelegate> delegate;

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        vesk::childEnvironment::markPlatformForced();
    }

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

    application = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VeskNotch"));
    QApplication::setApplicationVersion(QStringLiteral(VESK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vesk-notch"));

    vesk::TerminationSignals termination;
    QObject::connect(&termination, &vesk::TerminationSignals::terminationRequested, application.get(),
                     &QCoreApplication::quit);

    delegate = std::make_unique<vesk::AppDelegate>(vesk::systemShellFactory());
    QObject::connect(application.get(), &QCoreApplication::aboutToQuit, delegate.get(),
                     [] { delegate->applicationWillTerminate(); });
    QTimer::singleShot(0, delegate.get(), [] { delegate->applicationDidFinishLaunching(); });

    application->exec();
    delegate.reset();
    application.reset();
    return 0;
}
