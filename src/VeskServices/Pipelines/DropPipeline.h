#pragma once

#include "VeskKit/Pipeline/PipelineID.h"
#include "VeskServices/Pipelines/PipelineError.h"

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

    bool stopping() const { return stop && stop->load(); }
    // Ends the run (by throwing PipelineStopped) once the runner is stopping.
    void checkStop() const {
        if (stopping()) throw PipelineStopped{};
    }
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

    // Runs the pipeline; never throws.
    PipelineOutcome run(const QList<QUrl>& urls, const PipelineContext& context) const;

protected:
    // The work itself: the produced files in order. Throws PipelineError,
    // FileSystemError or PipelineStopped.
    virtual QList<QUrl> perform(const QList<QUrl>& urls, const PipelineContext& context) const = 0;
};

using PipelinePtr = std::shared_ptr<const DropPipeline>;

} // namespace vesk
