#include "VeskServices/Pipelines/PipelineRunner.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskServices/Pipelines/StagedOutput.h"

#include <QDir>
#include <QPointer>
#include <QThread>

namespace vesk {

PipelineRunner::PipelineRunner(PipelineRegistry registry, QObject* parent)
    : PipelineRunner(std::move(registry), Options{}, parent) {}

PipelineRunner::PipelineRunner(PipelineRegistry registry, Options options, QObject* parent)
    : QObject(parent), m_registry(std::move(registry)), m_options(options), m_worker(m_options.worker) {
    // A thread per run while it works; none waits idle afterwards.
    m_pool.setExpiryTimeout(0);
    m_pool.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

PipelineRunner::~PipelineRunner() {
    m_stop->store(true);
    m_clearTask.cancel();
    m_worker.shutdown();
    m_pool.waitForDone();
}

void PipelineRunner::submit(std::function<void()> work) {
    if (m_options.workScheduler)
        m_options.workScheduler->post(std::move(work));
    else
        m_pool.start(std::move(work));
}

void PipelineRunner::setState(const PipelineRunState& state) {
    if (state == m_state) return;
    m_state = state;
    Q_EMIT stateChanged();
}

void PipelineRunner::setUndoable(const std::optional<PipelineResult>& result) {
    if (result == m_undoable) return;
    m_undoable = result;
    Q_EMIT undoableChanged();
}

void PipelineRunner::run(PipelinePtr pipeline, const QList<QUrl>& urls, const QString& outputFolder,
                         FinishHandler onFinish) {
    if (!pipeline) return;
    m_clearTask.cancel();
    const quint64 token = ++m_lastToken;
    setState(PipelineRunState::running(pipeline->title(), 0, {}));

    const QPointer<PipelineRunner> self(this);
    PipelineContext context;
    context.outputFolder = QDir::cleanPath(outputFolder);
    context.stop = m_stop;
    // Each report names its run, so a late one of an older run is told apart.
    context.progress.report = [self, token](double fraction, const QString& detail) {
        onMain([self, token, fraction, detail] {
            if (self) self->progressed(token, fraction, detail);
        });
    };
    const int inputCount = int(urls.size());
    if (pipeline->runsApart()) {
        // The worker's events arrive on the main thread, in order.
        m_worker.run(*pipeline, urls, context.outputFolder,
                     {.progress =
                          [self, token](double fraction, const QString& detail) {
                              if (self) self->progressed(token, fraction, detail);
                          },
                      .ended =
                          [self, token, pipeline, inputCount, folder = context.outputFolder,
                           onFinish](const PipelineOutcome& outcome) {
                              if (self && !outcome.stopped)
                                  self->ended(token, pipeline, inputCount, folder, outcome, onFinish);
                          }});
        return;
    }
    submit([self, token, pipeline, urls, context, inputCount, onFinish = std::move(onFinish)] {
        const PipelineOutcome outcome = pipeline->run(urls, context);
        if (outcome.stopped) return;
        onMain([self, token, pipeline, inputCount, folder = context.outputFolder, outcome, onFinish] {
            if (self) self->ended(token, pipeline, inputCount, folder, outcome, onFinish);
        });
    });
}

void PipelineRunner::progressed(quint64 token, double fraction, const QString& detail) {
    const auto* running = std::get_if<PipelineRunState::Running>(&m_state.value);
    if (token != m_lastToken || !running) return;
    setState(PipelineRunState::running(running->title, fraction, detail));
}

void PipelineRunner::ended(quint64 token, const PipelinePtr& pipeline, int inputCount, const QString& folder,
                           const PipelineOutcome& outcome, const FinishHandler& onFinish) {
    Q_UNUSED(token);
    if (outcome.failure) {
        setState(PipelineRunState::failed(message(*outcome.failure)));
    } else {
        const PipelineResult result{.pipeline = pipeline->id(),
                                    .title = pipeline->title(),
                                    .produced = outcome.produced,
                                    .inputCount = inputCount};
        m_undoFolder = folder;
        setUndoable(result);
        setState(PipelineRunState::finished(result));
        if (onFinish) onFinish(outcome.produced);
    }
    scheduleClear();
}

void PipelineRunner::scheduleClear() {
    const QPointer<PipelineRunner> self(this);
    m_clearTask = onMainAfter(clearDelay, [self] {
        if (!self) return;
        self->setState(PipelineRunState::idle());
        self->setUndoable(std::nullopt);
    });
}

void PipelineRunner::showFailure(const QString& message) {
    if (std::holds_alternative<PipelineRunState::Running>(m_state.value)) return;
    m_clearTask.cancel();
    setState(PipelineRunState::failed(message));
    scheduleClear();
}

QList<QUrl> PipelineRunner::undo() {
    const auto* finished = std::get_if<PipelineRunState::Finished>(&m_state.value);
    // Only what the banner shows: never an older result behind a newer run's outcome.
    if (!m_undoable || !finished || finished->result != *m_undoable) return {};
    const QList<QUrl> produced = m_undoable->produced;
    submit([folder = m_undoFolder, produced] {
        for (const QUrl& url : produced)
            if (!removeOutput(folder, url.toLocalFile()))
                TraceLog::trace(QStringLiteral("pipelines: undo did not delete ") + url.toLocalFile());
    });
    setUndoable(std::nullopt);
    setState(PipelineRunState::idle());
    m_clearTask.cancel();
    return produced;
}

} // namespace vesk
