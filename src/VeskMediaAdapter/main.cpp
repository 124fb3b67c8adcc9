// vesk-media-adapter: what media players are playing, over MPRIS on the session bus.
//
//   vesk-media-adapter stream [--debounce=<ms>]   JSON lines until ended
//   vesk-media-adapter send <0|1|2|4|5>            play, pause, toggle, next, previous
//   vesk-media-adapter seek <seconds>
//   vesk-media-adapter speed <rate>
//   vesk-media-adapter shuffle <off|items|collections|unknown>
//   vesk-media-adapter repeat <off|one|all|unknown>
//   vesk-media-adapter test                       exits 0 when the session bus answers
#include "VeskDBus/AsyncDBusCall.h"
#include "VeskMediaAdapter/ControlCommand.h"
#include "VeskMediaAdapter/MprisWatcher.h"
#include "VeskMediaAdapter/ParentWatch.h"
#include "VeskMediaAdapter/PlayerChoice.h"
#include "VeskMediaAdapter/StreamWriter.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>

#include <cstdio>

using namespace vesk::adapter;

namespace {

int usage(const char* problem) {
    std::fprintf(stderr,
                 "vesk-media-adapter: %s\n"
                 "usage: vesk-media-adapter stream [--debounce=<ms>] | send <code> | seek <seconds> |\n"
                 "       speed <rate> | shuffle <mode> | repeat <mode> | test\n",
                 problem);
    return 2;
}

int runTest(QCoreApplication& app) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return 1;
    const QDBusMessage getId = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    vesk::dbus::callAsync(bus, getId, 1000, &app, [](const QDBusMessage& reply) {
        QCoreApplication::exit(vesk::dbus::isError(reply) ? 1 : 0);
    });
    return app.exec();
}

int runStream(QCoreApplication& app, int debounceMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "vesk-media-adapter: no session bus\n");
        return 1;
    }
    ParentWatch parent(&app);
    MprisWatcher watcher(bus);
    StreamWriter writer(watcher, debounceMs);
    QObject::connect(&writer, &StreamWriter::reportedChanged, &app,
                     [](const QString& busName) { savePlayerChoice(busName); });
    // Any bus traffic is a moment to notice that our parent has gone.
    QObject::connect(&watcher, &MprisWatcher::changed, &parent, &ParentWatch::check);
    watcher.start();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    // The kernel ends us with our parent; checked again at once in case it went first.
    ParentWatch::askToEndWithParent();
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty()) return usage("no command");
    const QString& verb = arguments.first();

    if (verb == QLatin1String("test")) return runTest(app);

    if (verb == QLatin1String("stream")) {
        int debounceMs = 120;
        for (const QString& option : arguments.mid(1)) {
            bool ok = false;
            if (option.startsWith(QLatin1String("--debounce="))) debounceMs = option.mid(11).toInt(&ok);
            if (!ok || debounceMs < 0 || debounceMs > 10000) return usage("bad stream option");
        }
        return runStream(app, debounceMs);
    }

    if (arguments.size() != 2) return usage("a command takes one argument");
    QString error;
    if (!ControlCommand::validate(verb, arguments[1], &error)) return usage(qPrintable(error));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return 1;
    ControlCommand command(bus, verb, arguments[1]);
    QTimer::singleShot(0, &command, &ControlCommand::run);
    return app.exec();
}
