#pragma once

#include <QObject>

#include <functional>

namespace vesk {

// Whether this program may use a camera. Main thread.
class CameraAccess : public QObject {
    Q_OBJECT
public:
    enum class Authorization { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };

    using QObject::QObject;

    // The answer now, without asking anyone.
    virtual Authorization authorization() const = 0;
    // Asks where the desktop can ask (the camera portal inside a sandbox) and calls
    // `done` once, on the main thread, with whether a camera may now be used.
    virtual void requestAccess(std::function<void(bool granted)> done) = 0;
};

} // namespace vesk
