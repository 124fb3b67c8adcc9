#include "VeskPlatform/Camera/DesktopCameraAccess.h"

#include "VeskDBus/AsyncDBusCall.h"
#include "VeskKit/Foundation/Scheduler.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QVariantMap>

#include <unistd.h>

namespace vesk {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString cameraInterface = QStringLiteral("org.freedesktop.portal.Camera");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

// One pending portal request: waits for the Response signal on the request's path and
// answers once.
class CameraPortalRequest final : public QObject {
    Q_OBJECT
public:
    CameraPortalRequest(QDBusConnection bus, std::function<void(bool)> done, QObject* parent)
        : QObject(parent), m_bus(std::move(bus)), m_done(std::move(done)) {}

    void listen(const QString& path) {
        if (m_paths.contains(path)) return;
        m_paths.append(path);
        m_bus.connect(portalService, path, requestInterface, QStringLiteral("Response"), this,
                      SLOT(onResponse(uint, QVariantMap)));
    }

    void finish(bool granted) {
        if (!m_done) return;
        for (const QString& path : std::as_const(m_paths))
            m_bus.disconnect(portalService, path, requestInterface, QStringLiteral("Response"), this,
                             SLOT(onResponse(uint, QVariantMap)));
        auto done = std::move(m_done);
        m_done = nullptr;
        done(granted);
        deleteLater();
    }

public Q_SLOTS:
    // 0 is the user's yes; 1 a refusal, 2 any other end.
    void onResponse(uint response, const QVariantMap&) { finish(response == 0); }

private:
    QDBusConnection m_bus;
    std::function<void(bool)> m_done;
    QStringList m_paths;
};

DesktopCameraAccess::DesktopCameraAccess(bool sandboxed, QString deviceFolder,
                                         std::optional<QDBusConnection> bus, QObject* parent)
    : CameraAccess(parent), m_sandboxed(sandboxed), m_deviceFolder(std::move(deviceFolder)),
      m_bus(std::move(bus)) {}

QDBusConnection DesktopCameraAccess::bus() const {
    return m_bus ? *m_bus : QDBusConnection::sessionBus();
}

QList<DesktopCameraAccess::Device> DesktopCameraAccess::videoDevices(const QString& folder) {
    static const QRegularExpression videoName(QStringLiteral("^video[0-9]+$"));
    QList<Device> devices;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::System | QDir::Files, QDir::Name)) {
        if (!videoName.match(name).hasMatch()) continue;
        const QString path = dir.filePath(name);
        // Asking is enough: opening would power some cameras up.
        devices.append({path, ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0});
    }
    return devices;
}

CameraAccess::Authorization DesktopCameraAccess::authorization(const QList<Device>& devices, bool sandboxed,
                                                               std::optional<bool> portalAnswer) {
    for (const Device& device : devices)
        if (device.openable) return Authorization::authorized;
    if (sandboxed && portalAnswer) return *portalAnswer ? Authorization::authorized : Authorization::denied;
    if (!devices.isEmpty()) return Authorization::denied;
    return Authorization::notDetermined;
}

CameraAccess::Authorization DesktopCameraAccess::authorization() const {
    return authorization(videoDevices(m_deviceFolder), m_sandboxed, m_portalAnswer);
}

void DesktopCameraAccess::requestAccess(std::function<void(bool granted)> done) {
    if (!done) return;
    if (!m_sandboxed || authorization() == Authorization::authorized) {
        // Outside a sandbox there is nobody to ask: the answer is what the devices say.
        const bool granted = authorization() == Authorization::authorized;
        onMain([done = std::move(done), granted] { done(granted); });
        return;
    }
    askPortal(std::move(done));
}

void DesktopCameraAccess::askPortal(std::function<void(bool granted)> done) {
    QDBusConnection connection = bus();
    if (!connection.isConnected()) {
        onMain([done = std::move(done)] { done(false); });
        return;
    }

    QPointer<DesktopCameraAccess> self(this);
    auto* request = new CameraPortalRequest(
        connection,
        [self, done = std::move(done)](bool granted) {
            if (self) self->m_portalAnswer = granted;
            done(granted);
        },
        this);

    // Listen on the path the portal will use before asking, so a quick answer is not missed.
    const QString token = QStringLiteral("vesk_camera_%1_%2").arg(::getpid()).arg(++m_nextToken);
    QString sender = connection.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    request->listen(portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token);

    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, cameraInterface,
                                                       QStringLiteral("AccessCamera"));
    call.setArguments({QVariantMap{{QStringLiteral("handle_token"), token}}});
    QPointer<CameraPortalRequest> pending(request);
    dbus::callAsync(connection, call, dbus::readTimeoutMs, request, [pending](const QDBusMessage& reply) {
        if (!pending) return;
        if (dbus::isError(reply) || reply.arguments().isEmpty()) {
            pending->finish(false);
            return;
        }
        // Older portals choose their own path.
        pending->listen(reply.arguments().constFirst().value<QDBusObjectPath>().path());
    });
}

} // namespace vesk

#include "DesktopCameraAccess.moc"
