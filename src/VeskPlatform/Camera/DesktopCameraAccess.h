#pragma once

#include "VeskPlatform/Camera/CameraAccess.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <optional>

namespace vesk {

// Outside a sandbox a camera may be used when one of its video devices can be opened
// (the user is in the "video" group or the seat gave them access); devices that exist
// but cannot be opened mean denied, no device at all means nothing to decide yet.
// Inside a sandbox the devices are usually hidden and the desktop's camera portal
// decides: its answer to this process's request is remembered for the session.
class DesktopCameraAccess final : public CameraAccess {
    Q_OBJECT
public:
    struct Device {
        QString path;
        bool openable = false;
    };

    // `deviceFolder` holds the video devices; tests give a fake folder and bus.
    explicit DesktopCameraAccess(bool sandboxed, QString deviceFolder = QStringLiteral("/dev"),
                                 std::optional<QDBusConnection> bus = std::nullopt,
                                 QObject* parent = nullptr);

    Authorization authorization() const override;
    void requestAccess(std::function<void(bool granted)> done) override;

    // The video devices in `folder` ("video0", "video1", ...) and whether each can be
    // opened for reading and writing.
    static QList<Device> videoDevices(const QString& folder);
    static Authorization authorization(const QList<Device>& devices, bool sandboxed,
                                       std::optional<bool> portalAnswer);

private:
    void askPortal(std::function<void(bool granted)> done);
    QDBusConnection bus() const;

    bool m_sandboxed;
    QString m_deviceFolder;
    std::optional<QDBusConnection> m_bus;
    std::optional<bool> m_portalAnswer;
    quint64 m_nextToken = 0;
};

} // namespace vesk
