#include "VeskKit/Pipeline/PipelineID.h"

namespace vesk {

namespace {

struct PipelineInfo {
    const char* displayName;
    const char* symbol;
};

// Indexed by the enumeration's value, in declaration order.
constexpr std::array<PipelineInfo, 8> pipelineInfo{{
    {"Compress image", "arrow.down.circle"},
    {"Convert format", "arrow.triangle.2.circlepath"},
    {"Zip", "doc.zipper"},
    {"Unzip", "arrow.up.bin"},
    {"Strip EXIF", "eye.slash"},
    {"Images to PDF", "doc.richtext"},
    {"Rename", "textformat"},
    {"Copy path", "doc.on.clipboard"},
}};

} // namespace

QString displayName(PipelineID pipeline) {
    return QString::fromUtf8(pipelineInfo[std::size_t(pipeline)].displayName);
}

QString symbol(PipelineID pipeline) {
    return QString::fromUtf8(pipelineInfo[std::size_t(pipeline)].symbol);
}

} // namespace vesk
