#include "VeskPlatform/Workspace/FileManager.h"

#include "VeskDBus/AsyncDBusCall.h"
#include "VeskPlatform/Workspace/UrlOpener.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QFileInfo>
#include <QUrl>

namespace vesk::fileManager {

void reveal(const QString& path, std::optional<QDBusConnection> bus,
            std::function<void(const QUrl&)> openFolder) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(absolute).absolutePath());
    if (!openFolder) openFolder = [](const QUrl& url) { urlOpener::open(url); };
    const QDBusConnection connection = bus ? *bus : QDBusConnection::sessionBus();
    if (!connection.isConnected()) {
        openFolder(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call.setArguments({QStringList{QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded)}, QString()});
    dbus::callAsync(connection, call, dbus::readTimeoutMs, QCoreApplication::instance(),
                    [folder, openFolder](const QDBusMessage& reply) {
                        if (dbus::isError(reply)) openFolder(folder);
                    });
}

} // namespace vesk::fileManager
