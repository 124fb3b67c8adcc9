#include "VeskServices/Pipelines/DropPipeline.h"

#include <exception>

namespace vesk {

PipelineOutcome DropPipeline::run(const QList<QUrl>& urls, const PipelineContext& context) const {
    PipelineOutcome outcome;
    try {
        outcome.produced = perform(urls, context);
    } catch (const PipelineError& error) {
        outcome.failure = error;
    } catch (const FileSystemError& error) {
        outcome.failure = error;
    } catch (const PipelineStopped&) {
        outcome.stopped = true;
    } catch (const std::bad_alloc&) {
        outcome.failure = FileSystemError{QStringLiteral("Not enough memory")};
    }
    return outcome;
}

} // namespace vesk
