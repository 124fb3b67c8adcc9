#include "VeskPlatform/Workspace/FileManager.h"

#include "VeskDBus/AsyncDBusCall.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace vesk::fileManager {

void reveal(const QString& path, std::optional<QDBusConnection> bus) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(absolute).absolutePath());
    const QDBusConnection connection = bus ? *bus : QDBusConnection::sessionBus();
    if (!connection.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call.setArguments({QStringList{QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded)}, QString()});
    dbus::callAsync(connection, call, dbus::readTimeoutMs, QCoreApplication::instance(),
                    [folder](const QDBusMessage& reply) {
                        if (dbus::isError(reply)) QDesktopServices::openUrl(folder);
                    });
}

} // namespace vesk::fileManager
