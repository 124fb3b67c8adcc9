#pragma once

#include "VeskPlatform/Camera/CameraCapture.h"

#include <QObject>

#include <memory>

class QCamera;
class QMediaCaptureSession;
class QVideoSink;

namespace vesk {

// The default video input through Qt Multimedia: a QCamera feeding a capture session
// and a video sink, each frame converted on this thread.
class QtCameraCapture final : public QObject, public CameraCapture {
    Q_OBJECT

public:
    QtCameraCapture();
    ~QtCameraCapture() override;

    void start(int side, std::function<void(bool)> started,
               std::function<void(const QImage&)> frame) override;
    void stop() override;
    bool isRunning() const override { return m_camera != nullptr; }

private:
    void finishStart(bool started);

    std::unique_ptr<QMediaCaptureSession> m_session;
    std::unique_ptr<QCamera> m_camera;
    std::unique_ptr<QVideoSink> m_sink;
    std::function<void(bool)> m_started;
    std::function<void(const QImage&)> m_frame;
    int m_side = 0;
};

} // namespace vesk
