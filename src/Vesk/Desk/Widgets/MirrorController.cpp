#include "Vesk/Desk/Widgets/MirrorController.h"

#include "VeskPlatform/Camera/CameraCapture.h"

#include <QPointer>

#include <atomic>

namespace vesk {

// What the queue owns; work still queued when the controller goes keeps it alive. The
// capture's own callbacks hold it weakly: the capture is owned here, and a callback
// owning its owner would keep both alive for good.
struct MirrorController::State {
    MakeCapture makeCapture;
    std::unique_ptr<CameraCapture> capture;
    // Both on the queue only.
    quint64 session = 0;
    quint64 sessions = 0;
    // Counts the main thread's stops (and the controller's end) as they are asked, ahead
    // of the queue: a start that completes after a later stop shows nothing.
    std::atomic<quint64> stops{0};

    void endCapture() {
        if (capture) capture->stop();
        capture.reset();
        session = 0;
    }
};

MirrorController::MirrorController(MakeCapture makeCapture, Scheduler* queueScheduler, QObject* parent)
    : QObject(parent), m_state(std::make_shared<State>()),
      m_queue(std::make_unique<SerialQueue>(QStringLiteral("app.tessarn.notch.mirror"), queueScheduler)) {
    m_state->makeCapture =
        makeCapture ? std::move(makeCapture) : MakeCapture([] { return CameraCapture::create(); });
    m_consumer = m_frames.consume(
        this, [this](std::pair<quint64, QImage> frame) { Q_EMIT frameArrived(frame.first, frame.second); });
}

MirrorController::~MirrorController() {
    m_consumer.cancel();
    // The camera goes off behind whatever start is running; the queue then ends and is
    // deleted by itself, so this thread never waits on the camera.
    ++m_state->stops;
    m_queue->async([state = m_state] { state->endCapture(); });
    SerialQueue::retire(std::move(m_queue));
}

void MirrorController::start(int side, std::function<void(std::optional<quint64>)> done) {
    QPointer<MirrorController> self(this);
    const NewestStream<std::pair<quint64, QImage>> frames = m_frames;
    const quint64 stopsBefore = m_state->stops.load();
    m_queue->async([state = m_state, side, self, frames, stopsBefore, done = std::move(done)]() mutable {
        // Never two sessions: a new one replaces the old.
        state->endCapture();
        const auto answer = [self, done](std::optional<quint64> result) {
            onMain([self, done, result] {
                if (self) done(result);
            });
        };
        // Asked to stop before this start even began.
        if (state->stops.load() != stopsBefore) return answer(std::nullopt);
        state->capture = state->makeCapture();
        if (!state->capture) return answer(std::nullopt);
        const quint64 session = ++state->sessions;
        state->session = session;
        const std::weak_ptr<State> weak = state;
        auto answered = std::make_shared<bool>(false);
        state->capture->start(
            side,
            [weak, session, stopsBefore, answer, answered](bool started) {
                if (std::exchange(*answered, true)) return;
                const std::shared_ptr<State> state = weak.lock();
                if (!state) return;
                if (started && state->stops.load() != stopsBefore) {
                    // Opened after a stop was asked: off at once, nothing shown; the
                    // stop queued behind this start drops the capture.
                    if (state->session == session) {
                        state->capture->stop();
                        state->session = 0;
                    }
                    return answer(std::nullopt);
                }
                // A capture that failed has stopped itself; it goes at the next start or stop.
                if (!started && state->session == session) state->session = 0;
                answer(started ? std::optional<quint64>(session) : std::nullopt);
            },
            [weak, frames, session, stopsBefore](const QImage& frame) {
                const std::shared_ptr<State> state = weak.lock();
                if (state && state->session == session && state->stops.load() == stopsBefore)
                    frames.yield({session, frame});
            });
    });
}

void MirrorController::stop(std::optional<quint64> session) {
    // A stop of one session that already answered leaves a newer start alone.
    if (!session) ++m_state->stops;
    m_queue->async([state = m_state, session] {
        if (session && state->session != *session) return;
        state->endCapture();
    });
}

} // namespace vesk
