#include "VeskServices/Pipelines/ImageIOWorker.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/ImageIO/ImageFile.h"
#include "VeskPlatform/ImageIO/JpegLossless.h"
#include "VeskServices/Pipelines/PipelineError.h"
#include "VeskServices/Pipelines/PipelineSupport.h"
#include "VeskServices/Pipelines/StagedOutput.h"

#include <QFile>

namespace vesk::image_io_worker {

namespace {

void trace(const QString& what, const QString& path, const QString& why) {
    TraceLog::trace(QStringLiteral("pipelines: ") + what + QLatin1Char(' ') + path + QStringLiteral(": ") +
                    why);
}

} // namespace

void reencode(const QUrl& source, StagedOutput& destination, const Options& options) {
    const QString path = source.toLocalFile();
    QString error;
    auto picture = imageio::readImage(path, options.maxDimension, options.upright, &error);
    if (!picture) {
        trace(QStringLiteral("cannot decode"), path, error);
        throw PipelineError::readFailed(pipeline_support::fileName(source));
    }
    imageio::ImageMetadata metadata;
    if (!options.stripMetadata) {
        metadata = picture->metadata;
        // Turned pixels must not be turned again by a viewer.
        if (picture->turned) metadata = metadata.withOrientation(1);
        metadata = metadata.withPixelSize(picture->image.size());
    }
    if (options.format.isEmpty() || !imageio::writeImage(picture->image, destination.path(), options.format,
                                                         options.quality, metadata, &error)) {
        trace(QStringLiteral("cannot write"), destination.displayName(), error);
        throw PipelineError::writeFailed(destination.displayName());
    }
}

bool stripJpegLosslessly(const QUrl& source, StagedOutput& destination) {
    const QString path = source.toLocalFile();
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) throw PipelineError::readFailed(pipeline_support::fileName(source));
    QByteArray jpeg = input.readAll();
    if (!imageio::jpeg::readHeader(jpeg)) return false;
    const int orientation = imageio::ImageMetadata::readFile(path).orientation();
    if (orientation != 1) {
        auto turned = imageio::jpeg::transform(jpeg, orientation);
        if (!turned) return false;
        jpeg = std::move(*turned);
    }
    const auto stripped = imageio::jpeg::stripMetadata(jpeg);
    if (!stripped) return false;
    QFile output(destination.path());
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        output.write(*stripped) != stripped->size() || !output.flush()) {
        trace(QStringLiteral("cannot write"), destination.displayName(), output.errorString());
        throw PipelineError::writeFailed(destination.displayName());
    }
    return true;
}

} // namespace vesk::image_io_worker
