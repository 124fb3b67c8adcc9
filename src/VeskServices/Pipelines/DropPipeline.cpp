#include "VeskServices/Pipelines/DropPipeline.h"

#include "VeskServices/Pipelines/StagedOutput.h"

#include <array>
#include <exception>
#include <mutex>

namespace vesk {

namespace {

std::mutex workMutex;

DropPipeline::Work& workFor(PipelineID id) {
    static std::array<DropPipeline::Work, RawEnumTable<PipelineID>::entries.size()> table{};
    return table.at(std::size_t(id));
}

} // namespace

QUrl PipelineContext::publish(StagedOutput& output) const {
    const QUrl url = output.publish();
    if (published) published(url);
    return url;
}

void DropPipeline::setWork(PipelineID id, Work work) {
    const std::lock_guard lock(workMutex);
    workFor(id) = work;
}

QList<QUrl> DropPipeline::perform(const QList<QUrl>& urls, const PipelineContext& context) const {
    Work work = nullptr;
    {
        const std::lock_guard lock(workMutex);
        work = workFor(id());
    }
    if (!work) throw PipelineError::unsupported();
    return work(*this, urls, context);
}

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
