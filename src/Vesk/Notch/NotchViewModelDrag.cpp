#include "Vesk/Notch/NotchViewModel.h"

#include "Vesk/Notch/NotchViewModelFields.h"

#include <cmath>

namespace vesk {

// ---- Drags over the notch

const QList<QUrl>& NotchViewModel::dragURLs() const {
    return d->dragURLs;
}

void NotchViewModel::setDragURLs(const QList<QUrl>& urls) {
    if (Fields::assign(d->dragURLs, urls)) Q_EMIT dragURLsChanged();
}

const QList<DropLane>& NotchViewModel::dragLanes() const {
    return d->dragLanes;
}

void NotchViewModel::setDragLanes(const QList<DropLane>& lanes) {
    if (Fields::assign(d->dragLanes, lanes)) Q_EMIT dragLanesChanged();
}

std::optional<int> NotchViewModel::hoveredLane() const {
    return d->hoveredLane;
}

void NotchViewModel::setHoveredLane(std::optional<int> lane) {
    if (Fields::assign(d->hoveredLane, lane)) Q_EMIT hoveredLaneChanged();
}

void NotchViewModel::beginDrag(const QList<QUrl>& urls) {
    setDragURLs(urls);
    setHoveredLane(std::nullopt);
    if (urls.isEmpty()) {
        setDragLanes({});
        return;
    }
    QList<DropLane> lanes{DropLane::shelf()};
    // A lane that takes the files and sends them nowhere would lose the drop.
    if (d->sharing().isAirDropAvailable()) lanes.append(DropLane::airDrop());
    if (d->settings.pipelinesEnabled() && d->pipelineRunner)
        for (const PipelinePtr& pipeline : d->pipelineRunner->lanes(urls, d->settings.pipelineOrder()))
            lanes.append(DropLane::pipeline(pipeline->id()));
    setDragLanes(lanes);
}

std::optional<int> NotchViewModel::lane(double x, double width) const {
    const qsizetype count = d->dragLanes.size();
    if (count < 2 || !(width > 0)) return std::nullopt;
    const double index = std::trunc(x / (width / double(count)));
    if (!(index >= 0 && index < double(count))) return std::nullopt;
    return int(index);
}

} // namespace vesk
