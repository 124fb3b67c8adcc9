#include "VeskKit/Pipeline/DropLane.h"

#include <QHashFunctions>

namespace vesk {

QString DropLane::id() const {
    switch (m_kind) {
    case Kind::pipeline:
        return toRaw(*m_pipeline);
    case Kind::shelf:
        return QStringLiteral("shelf");
    case Kind::airDrop:
        return QStringLiteral("airdrop");
    }
    return {};
}

QString DropLane::displayName() const {
    switch (m_kind) {
    case Kind::pipeline:
        return vesk::displayName(*m_pipeline);
    case Kind::shelf:
        return QStringLiteral("Files Tray");
    case Kind::airDrop:
        return QStringLiteral("AirDrop");
    }
    return {};
}

QString DropLane::symbol() const {
    switch (m_kind) {
    case Kind::pipeline:
        return vesk::symbol(*m_pipeline);
    case Kind::shelf:
        return QStringLiteral("tray.and.arrow.down.fill");
    case Kind::airDrop:
        return QStringLiteral("dot.radiowaves.right");
    }
    return {};
}

size_t qHash(const DropLane& lane, size_t seed) noexcept {
    const int pipeline = lane.pipelineID() ? static_cast<int>(*lane.pipelineID()) : -1;
    return qHashMulti(seed, static_cast<int>(lane.kind()), pipeline);
}

} // namespace vesk
