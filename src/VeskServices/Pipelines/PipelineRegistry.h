#pragma once

#include "VeskServices/Pipelines/DropPipeline.h"

#include <QList>

#include <optional>

namespace vesk {

// The drop pipelines in their order, and which of them a drag's files are offered.
class PipelineRegistry {
public:
    // Keeps `all` when given; otherwise the default pipelines.
    explicit PipelineRegistry(std::optional<QList<PipelinePtr>> all = std::nullopt);

    static QList<PipelinePtr> defaultPipelines();

    const QList<PipelinePtr>& all() const { return m_all; }

    // The pipelines that accept every file, in registry order; with a non-empty
    // `enabled`, the first accepting pipeline of each listed id, in the list's order.
    QList<PipelinePtr> lanes(const QList<QUrl>& urls, const QList<PipelineID>& enabled = {}) const;

private:
    QList<PipelinePtr> m_all;
};

} // namespace vesk
