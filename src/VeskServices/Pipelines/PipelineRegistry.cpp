#include "VeskServices/Pipelines/PipelineRegistry.h"

#include "VeskServices/Pipelines/FilePipelines.h"
#include "VeskServices/Pipelines/ImagePipelines.h"

namespace vesk {

PipelineRegistry::PipelineRegistry(std::optional<QList<PipelinePtr>> all)
    : m_all(all ? std::move(*all) : defaultPipelines()) {}

QList<PipelinePtr> PipelineRegistry::defaultPipelines() {
    return {
        std::make_shared<CompressImagePipeline>(0.7, 2048.0),
        std::make_shared<ConvertFormatPipeline>(QStringLiteral("public.png")),
        std::make_shared<ImagesToPDFPipeline>(),
        std::make_shared<StripEXIFPipeline>(),
        std::make_shared<ZipPipeline>(),
        std::make_shared<UnzipPipeline>(),
        std::make_shared<RenamePipeline>(QStringLiteral("{name}-{n}")),
        std::make_shared<CopyPathsPipeline>(),
    };
}

QList<PipelinePtr> PipelineRegistry::lanes(const QList<QUrl>& urls, const QList<PipelineID>& enabled) const {
    QList<PipelinePtr> accepting;
    for (const PipelinePtr& pipeline : m_all)
        if (pipeline->accepts(urls)) accepting.append(pipeline);
    if (enabled.isEmpty()) return accepting;
    QList<PipelinePtr> result;
    for (PipelineID id : enabled) {
        const auto found = std::find_if(accepting.cbegin(), accepting.cend(),
                                        [id](const PipelinePtr& pipeline) { return pipeline->id() == id; });
        if (found != accepting.cend()) result.append(*found);
    }
    return result;
}

} // namespace vesk
