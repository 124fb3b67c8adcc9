#pragma once

#include <QImage>

#include <functional>
#include <memory>

namespace vesk {

// The default camera's picture, as squares for a round preview. An object and every
// call to it belong to the thread that made it (the mirror's queue), which must run an
// event loop; callbacks come on that thread.
class CameraCapture {
public:
    virtual ~CameraCapture() = default;

    // Opens the default camera at about 640 × 480 and starts it. `started` is called once:
    // true at the first frame; false without a camera or when it fails before the first
    // frame (busy, unplugged), after which the capture is stopped. Each frame comes to
    // `frame` cropped to a centred square and scaled to `side` pixels.
    virtual void start(int side, std::function<void(bool started)> started,
                       std::function<void(const QImage& frame)> frame) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;

    // Over Qt Multimedia.
    static std::unique_ptr<CameraCapture> create();

    // A frame as the preview wants it: the centred square, `side` pixels wide.
    static QImage squareCrop(const QImage& image, int side);
};

} // namespace vesk
