#include "VeskPlatform/Camera/QtCameraCapture.h"

#include <QCamera>
#include <QCameraDevice>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>

#include <cstdlib>
#include <limits>

namespace vesk {

std::unique_ptr<CameraCapture> CameraCapture::create() {
    return std::make_unique<QtCameraCapture>();
}

QImage CameraCapture::squareCrop(const QImage& image, int side) {
    if (image.isNull() || side <= 0) return {};
    const int edge = std::min(image.width(), image.height());
    const QImage square = image.copy((image.width() - edge) / 2, (image.height() - edge) / 2, edge, edge);
    return square.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QtCameraCapture::QtCameraCapture() = default;

QtCameraCapture::~QtCameraCapture() {
    stop();
}

void QtCameraCapture::start(int side, std::function<void(bool)> started,
                            std::function<void(const QImage&)> frame) {
    stop();
    m_started = std::move(started);
    m_frame = std::move(frame);
    m_side = side;
    const QCameraDevice device = QMediaDevices::defaultVideoInput();
    if (device.isNull()) return finishStart(false);

    m_camera = std::make_unique<QCamera>(device);
    // Qt has no capture presets: the medium one is about 640 × 480.
    QCameraFormat nearest;
    long best = std::numeric_limits<long>::max();
    for (const QCameraFormat& format : device.videoFormats()) {
        const QSize size = format.resolution();
        const long distance = std::labs(long(size.width()) - 640) + std::labs(long(size.height()) - 480);
        if (distance < best) {
            best = distance;
            nearest = format;
        }
    }
    if (!nearest.isNull()) m_camera->setCameraFormat(nearest);
    m_session = std::make_unique<QMediaCaptureSession>();
    m_sink = std::make_unique<QVideoSink>();
    m_session->setCamera(m_camera.get());
    m_session->setVideoSink(m_sink.get());
    connect(m_camera.get(), &QCamera::errorOccurred, this, [this](QCamera::Error error) {
        if (error == QCamera::NoError || !m_started) return;
        // Busy or gone before showing anything: as if there were no camera.
        auto done = std::exchange(m_started, {});
        stop();
        done(false);
    });
    connect(m_sink.get(), &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& videoFrame) {
        const QImage image = squareCrop(videoFrame.toImage(), m_side);
        if (image.isNull()) return;
        finishStart(true);
        if (m_frame) m_frame(image);
    });
    m_camera->start();
}

void QtCameraCapture::finishStart(bool started) {
    if (auto done = std::exchange(m_started, {})) done(started);
}

void QtCameraCapture::stop() {
    // The callbacks may hold whoever owns this capture: dropped here, not at the next start.
    m_started = {};
    m_frame = {};
    if (m_camera) {
        m_camera->disconnect(this);
        m_camera->stop();
    }
    if (m_sink) m_sink->disconnect(this);
    if (m_session) {
        m_session->setCamera(nullptr);
        m_session->setVideoSink(nullptr);
    }
    // Deleted once control is back in the event loop: stop() may come from inside one
    // of their own signals (a start completing after a stop was asked).
    if (m_sink) m_sink.release()->deleteLater();
    if (m_session) m_session.release()->deleteLater();
    if (m_camera) m_camera.release()->deleteLater();
}

} // namespace vesk
