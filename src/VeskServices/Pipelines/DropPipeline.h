#pragma once

#include "VeskKit/Pipeline/PipelineID.h"
#include "VeskServices/Pipelines/PipelineError.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class StagedOutput;

// How a pipeline tells how far it is; callable from any thread.
struct ProgressReporter {
    std::function<void(double fraction, const QString& detail)> report;

    // Reports with the fraction clamped into 0...1 (not a number counts as 0).
    void operator()(double fraction, const QString& detail) const {
        const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
        if (report) report(clamped, detail);
    }
};

// What a run is given besides its files.
struct PipelineContext {
    // Where every output goes (a cleaned absolute path).
    QString outputFolder;
    ProgressReporter progress;
    // Set when the runner is going away: runs end at their next check.
    std::shared_ptr<const std::atomic<bool>> stop;
    // Told of each output as soon as it is published (from the run's thread).
    std::function<void(const QUrl&)> published;

    bool stopping() const { return stop && stop->load(); }
    // Ends the run (by throwing PipelineStopped) once the runner is stopping.
    void checkStop() const {
        if (stopping()) throw PipelineStopped{};
    }
    // Publishes a staged output under its free name and tells `published`.
    QUrl publish(StagedOutput& output) const;
};

// How a run ended: the files it produced, or why it failed.
struct PipelineOutcome {
    QList<QUrl> produced;
    std::optional<PipelineFailure> failure;
    // Ended early because the runner stopped; nothing was produced.
    bool stopped = false;
};

// A file action offered as a drop lane. Pipelines are immutable values shared between
// threads; run() works off the main thread and writes only into the output folder.
class DropPipeline {
public:
    virtual ~DropPipeline() = default;

    virtual PipelineID id() const = 0;
    virtual QString title() const = 0;
    // A system symbol name.
    virtual QString symbol() const = 0;
    // Whether the pipeline can work on every one of the files (never on none).
    virtual bool accepts(const QList<QUrl>& urls) const = 0;

    // Whether the work parses the files' contents, and so runs in the pipeline worker
    // rather than in the program.
    virtual bool runsApart() const { return false; }
    // What the worker needs besides the id to make the same pipeline; read once per run.
    virtual QJsonObject settings() const { return {}; }

    // Runs the pipeline here; never throws.
    PipelineOutcome run(const QList<QUrl>& urls, const PipelineContext& context) const;

    // The work of a pipeline that runs apart: linked into the worker only, so the
    // program carries none of the decoders.
    using Work = QList<QUrl> (*)(const DropPipeline& pipeline, const QList<QUrl>& urls,
                                 const PipelineContext& context);
    static void setWork(PipelineID id, Work work);
    // Sets P::work as the work of `id`, for pipelines of type P.
    template <typename P> static void setWorkOf(PipelineID id) {
        setWork(id,
                [](const DropPipeline& pipeline, const QList<QUrl>& urls, const PipelineContext& context) {
                    const auto* own = dynamic_cast<const P*>(&pipeline);
                    if (!own) throw PipelineError::unsupported();
                    return own->work(urls, context);
                });
    }

protected:
    // The work itself: the produced files in order. Throws PipelineError,
    // FileSystemError or PipelineStopped. By default the work set for the id;
    // unsupported where none is.
    virtual QList<QUrl> perform(const QList<QUrl>& urls, const PipelineContext& context) const;
};

using PipelinePtr = std::shared_ptr<const DropPipeline>;

// The pipeline of that id made from its settings (as settings() gives them); null for
// an id that does not run apart.
PipelinePtr pipelineFromSettings(PipelineID id, const QJsonObject& settings);

} // namespace vesk
