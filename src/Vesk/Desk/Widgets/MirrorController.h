#pragma once

#include "VeskKit/Foundation/NewestStream.h"
#include "VeskKit/Foundation/SerialQueue.h"

#include <QImage>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class CameraCapture;

// Runs the mirror's camera on the serial queue "app.tessarn.notch.mirror": the capture
// is made, started and stopped only there (opening a camera can take longer than a
// frame), and only the newest frame travels to the main thread. Each start is a new
// session with its own number. A start that opens the camera after a later stop (or
// the controller's end) turns it off at once and shows nothing; the controller's end
// never waits for the camera. Main thread only.
class MirrorController : public QObject {
    Q_OBJECT

public:
    using MakeCapture = std::function<std::unique_ptr<CameraCapture>()>;

    // The capture comes from `makeCapture` (Qt Multimedia when empty); the queue runs on
    // `queueScheduler` when given (tests), else on a thread of its own.
    explicit MirrorController(MakeCapture makeCapture = {}, Scheduler* queueScheduler = nullptr,
                              QObject* parent = nullptr);
    ~MirrorController() override;

    // Stops any running session and starts a new one of `side`-pixel squares; `done` gets
    // its number, or none when the camera could not be started, on the main thread.
    void start(int side, std::function<void(std::optional<quint64> session)> done);
    // Stops the running session; with a number, only when that one is running.
    void stop(std::optional<quint64> session = std::nullopt);

Q_SIGNALS:
    void frameArrived(quint64 session, const QImage& frame);

private:
    struct State;
    std::shared_ptr<State> m_state;
    std::unique_ptr<SerialQueue> m_queue;
    NewestStream<std::pair<quint64, QImage>> m_frames{1};
    TaskHandle m_consumer;
};

} // namespace vesk
