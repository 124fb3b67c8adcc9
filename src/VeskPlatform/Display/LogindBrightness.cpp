#include "VeskPlatform/Display/LogindBrightness.h"

#include "VeskDBus/AsyncDBusCall.h"
#include "VeskKit/Diagnostics/TraceLog.h"

#include <array>

namespace vesk {

namespace {

const std::array<QString, 2> sessionPaths = {
    QStringLiteral("/org/freedesktop/login1/session/auto"),
    QStringLiteral("/org/freedesktop/login1/session/self"),
};

bool isUnknownPath(const QString& error) {
    return error == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
           error == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
           error == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface");
}

bool isPermanent(const QString& error) {
    return isUnknownPath(error) || error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           error == QLatin1String("org.freedesktop.DBus.Error.AccessDenied") ||
           error == QLatin1String("org.freedesktop.DBus.Error.NotSupported") ||
           error == QLatin1String("org.freedesktop.DBus.Error.InvalidArgs") ||
           error == QLatin1String("org.freedesktop.DBus.Error.Disconnected");
}

} // namespace

LogindBrightness::LogindBrightness(QObject* parent) : QObject(parent) {}

void LogindBrightness::write(const QString& subsystem, const QString& name, quint32 value,
                             std::function<void(Outcome)> done) {
    send(m_pathIndex, subsystem, name, value, std::move(done));
}

void LogindBrightness::send(int pathIndex, const QString& subsystem, const QString& name, quint32 value,
                            std::function<void(Outcome)> done) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        done(Outcome::unsupported);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), sessionPaths[static_cast<size_t>(pathIndex)],
        QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("SetBrightness"));
    call << subsystem << name << value;
    dbus::callAsync(
        bus, call, timeoutMs, this,
        [this, pathIndex, subsystem, name, value, done = std::move(done)](const QDBusMessage& reply) {
            if (!dbus::isError(reply)) {
                m_pathIndex = pathIndex;
                done(Outcome::written);
                return;
            }
            const QString error = reply.errorName();
            if (isUnknownPath(error) && pathIndex + 1 < static_cast<int>(sessionPaths.size())) {
                send(pathIndex + 1, subsystem, name, value, done);
                return;
            }
            TraceLog::trace(QStringLiteral("logind SetBrightness(%1, %2) failed: %3")
                                .arg(subsystem, name, reply.errorMessage()));
            done(isPermanent(error) ? Outcome::unsupported : Outcome::failedForNow);
        });
}

} // namespace vesk
