#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <QString>

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// The eight drop pipelines. The raw value (also the `id`) is stored in settings.
enum class PipelineID {
    compressImage,
    convertFormat,
    zip,
    unzip,
    stripEXIF,
    imagesToPDF,
    rename,
    copyPaths,
};

template <> struct RawEnumTable<PipelineID> {
    static constexpr std::array<std::pair<PipelineID, std::string_view>, 8> entries{{
        {PipelineID::compressImage, "compressImage"},
        {PipelineID::convertFormat, "convertFormat"},
        {PipelineID::zip, "zip"},
        {PipelineID::unzip, "unzip"},
        {PipelineID::stripEXIF, "stripEXIF"},
        {PipelineID::imagesToPDF, "imagesToPDF"},
        {PipelineID::rename, "rename"},
        {PipelineID::copyPaths, "copyPaths"},
    }};
};

inline QString id(PipelineID pipeline) {
    return toRaw(pipeline);
}
QString displayName(PipelineID pipeline);
// The system symbol name drawn for the pipeline.
QString symbol(PipelineID pipeline);

} // namespace vesk
