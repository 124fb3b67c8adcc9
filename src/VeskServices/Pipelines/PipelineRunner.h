#pragma once

#include "VeskKit/Foundation/Scheduler.h"
#include "VeskServices/Pipelines/PipelineRegistry.h"
#include "VeskServices/Pipelines/PipelineRunState.h"
#include "VeskServices/Pipelines/PipelineWorker.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// Runs drop pipelines on dropped files and publishes the latest run's progress and
// outcome; keeps the last result for undo until six seconds after the run ended. One
// for the whole program, shared by every display. Main thread only. Pipelines that read
// the files' contents run in the pipeline worker process; the others on threads of the
// runner's own, made when needed and not kept idle.
class PipelineRunner : public QObject {
    Q_OBJECT

public:
    struct Options {
        // Runs the pipelines' work and undo's deletions instead of the runner's threads
        // (tests pass a manual scheduler).
        Scheduler* workScheduler = nullptr;
        PipelineWorker::Options worker;
    };
    using FinishHandler = std::function<void(const QList<QUrl>& produced)>;

    // How long a finished or failed run stays on show.
    static constexpr double clearDelay = 6;

    explicit PipelineRunner(PipelineRegistry registry = PipelineRegistry(), QObject* parent = nullptr);
    PipelineRunner(PipelineRegistry registry, Options options, QObject* parent = nullptr);
    // Runs in flight end (the worker's within a second, killed if need be), leaving
    // nothing of theirs; waits for them.
    ~PipelineRunner() override;

    const PipelineRunState& state() const { return m_state; }
    // The result undo() would delete.
    const std::optional<PipelineResult>& undoable() const { return m_undoable; }
    const PipelineRegistry& registry() const { return m_registry; }
    PipelineWorker& worker() { return m_worker; }

    QList<PipelinePtr> lanes(const QList<QUrl>& urls, const QList<PipelineID>& enabled) const {
        return m_registry.lanes(urls, enabled);
    }

    // Starts the pipeline on the files, writing into `outputFolder`; returns at once.
    // On success `onFinish` gets the produced files on the main thread; a failure is
    // only published. A run started while another works does not stop it.
    void run(PipelinePtr pipeline, const QList<QUrl>& urls, const QString& outputFolder,
             FinishHandler onFinish);

    // Deletes the files of the finished run on show and returns them (the deletion
    // itself follows on the runner's threads). Empty, deleting nothing, when no finished
    // run is on show or its result is not the undoable one.
    QList<QUrl> undo();
    // Shows a failure that came after a run (its files could not enter the tray) as a
    // failed run's is shown, cleared after the same delay; nothing while a run works.
    void showFailure(const QString& message);

Q_SIGNALS:
    void stateChanged();
    void undoableChanged();

private:
    void setState(const PipelineRunState& state);
    void setUndoable(const std::optional<PipelineResult>& result);
    void progressed(quint64 token, double fraction, const QString& detail);
    void ended(quint64 token, const PipelinePtr& pipeline, int inputCount, const QString& folder,
               const PipelineOutcome& outcome, const FinishHandler& onFinish);
    void submit(std::function<void()> work);
    void scheduleClear();

    PipelineRegistry m_registry;
    Options m_options;
    PipelineRunState m_state;
    std::optional<PipelineResult> m_undoable;
    QString m_undoFolder;
    TaskHandle m_clearTask;
    quint64 m_lastToken = 0;
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    QThreadPool m_pool;
    PipelineWorker m_worker;
};

} // namespace vesk
