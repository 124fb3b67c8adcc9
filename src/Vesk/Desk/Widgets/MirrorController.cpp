#include "Vesk/Desk/Widgets/MirrorController.h"

#include "VeskPlatform/Camera/CameraCapture.h"

#include <QPointer>

namespace vesk {

// What the queue owns; lambdas share it, so work still queued when the controller goes
// finds it alive.
struct MirrorController::State {
    MakeCapture makeCapture;
    std::unique_ptr<CameraCapture> capture;
    quint64 session = 0;
    quint64 sessions = 0;
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
    m_queue->async([state = m_state] {
        state->capture.reset();
        state->session = 0;
    });
    m_queue->shutdown();
}

void MirrorController::start(int side, std::function<void(std::optional<quint64>)> done) {
    QPointer<MirrorController> self(this);
    const NewestStream<std::pair<quint64, QImage>> frames = m_frames;
    m_queue->async([state = m_state, side, self, frames, done = std::move(done)]() mutable {
        // Never two sessions: a new one replaces the old.
        state->capture.reset();
        state->session = 0;
        state->capture = state->makeCapture();
        const quint64 session = ++state->sessions;
        auto answered = std::make_shared<bool>(false);
        const auto answer = [self, done, answered](std::optional<quint64> result) {
            if (std::exchange(*answered, true)) return;
            onMain([self, done, result] {
                if (self) done(result);
            });
        };
        if (!state->capture) return answer(std::nullopt);
        state->session = session;
        state->capture->start(
            side,
            [state, session, answer](bool started) {
                // A capture that failed has stopped itself; it goes at the next start or stop.
                if (!started && state->session == session) state->session = 0;
                answer(started ? std::optional<quint64>(session) : std::nullopt);
            },
            [frames, session](const QImage& frame) {
                frames.yield({session, frame});
            });
    });
}

void MirrorController::stop(std::optional<quint64> session) {
    m_queue->async([state = m_state, session] {
        if (session && state->session != *session) return;
        state->capture.reset();
        state->session = 0;
    });
}

} // namespace vesk
