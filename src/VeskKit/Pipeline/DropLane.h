#pragma once

#include "VeskKit/Pipeline/PipelineID.h"

#include <QString>

#include <optional>

namespace vesk {

// One lane a file drag over the notch splits into: a drop pipeline, the tray shelf or
// AirDrop. Two lanes are equal when they are the same case and, for pipelines, the
// same pipeline; hashing agrees.
class DropLane {
public:
    enum class Kind { pipeline, shelf, airDrop };

    static DropLane pipeline(PipelineID id) { return DropLane(Kind::pipeline, id); }
    static DropLane shelf() { return DropLane(Kind::shelf, std::nullopt); }
    static DropLane airDrop() { return DropLane(Kind::airDrop, std::nullopt); }

    Kind kind() const { return m_kind; }
    // The pipeline of a pipeline lane.
    std::optional<PipelineID> pipelineID() const { return m_pipeline; }

    // The pipeline's raw value, "shelf" or "airdrop".
    QString id() const;
    QString displayName() const;
    QString symbol() const;
    // The shelf and AirDrop lanes are always offered first.
    bool isPrimary() const { return m_kind != Kind::pipeline; }

    friend bool operator==(const DropLane&, const DropLane&) = default;

private:
    DropLane(Kind kind, std::optional<PipelineID> pipeline) : m_kind(kind), m_pipeline(pipeline) {}

    Kind m_kind;
    std::optional<PipelineID> m_pipeline;
};

size_t qHash(const DropLane& lane, size_t seed = 0) noexcept;

} // namespace vesk
