#pragma once

#include "VeskServices/Pipelines/PipelineProtocol.h"

#include <QSize>
#include <QString>

#include <optional>

namespace vesk::worker {

// The picture the tray's preview shows for a file, no larger than `bound`: an image
// upright as its orientation tag says (HEIC too), or the first page of a PDF on white
// paper. Absent for any other file and for one that cannot be decoded.
std::optional<pipeline_protocol::Rendered> renderPreview(const QString& path, const QSize& bound);

} // namespace vesk::worker
