#include "VeskServices/Pipelines/ImagePipelines.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/Files/UniformTypes.h"
#include "VeskPlatform/ImageIO/ImageFile.h"
#include "VeskPlatform/ImageIO/JpegLossless.h"
#include "VeskPlatform/PDF/PdfWriter.h"
#include "VeskServices/Pipelines/ImageIOWorker.h"
#include "VeskServices/Pipelines/PipelineSupport.h"
#include "VeskServices/Pipelines/StagedOutput.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace vesk {

namespace {

using namespace pipeline_support;

// Runs `work` on each input after reporting (i / n, its name), then reports "Done".
template <typename Work>
QList<QUrl> eachInput(const QList<QUrl>& urls, const PipelineContext& context, Work work) {
    if (urls.isEmpty()) throw PipelineError::noInput();
    QList<QUrl> produced;
    const double count = double(urls.size());
    for (qsizetype i = 0; i < urls.size(); ++i) {
        context.checkStop();
        context.progress(double(i) / count, fileName(urls[i]));
        produced.append(work(urls[i]));
    }
    if (context.progress.report) context.progress.report(1.0, QStringLiteral("Done"));
    return produced;
}

bool looksLikeJpeg(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(3) == QByteArray("\xFF\xD8\xFF", 3);
}

} // namespace

QList<QUrl> CompressImagePipeline::work(const QList<QUrl>& urls, const PipelineContext& context) const {
    return eachInput(urls, context, [&](const QUrl& url) {
        StagedOutput output(context.outputFolder, baseName(url) + QStringLiteral("-compressed"),
                            QStringLiteral("jpg"));
        image_io_worker::reencode(url, output,
                                  {.format = "jpeg",
                                   .quality = m_quality,
                                   .maxDimension = m_maxDimension,
                                   .upright = true,
                                   .stripMetadata = false});
        return context.publish(output);
    });
}

QList<QUrl> ConvertFormatPipeline::work(const QList<QUrl>& urls, const PipelineContext& context) const {
    QString extension = preferredExtension(m_target);
    if (extension.isEmpty()) extension = QStringLiteral("png");
    const QByteArray format = imageio::writerFormat(m_target);
    return eachInput(urls, context, [&](const QUrl& url) {
        StagedOutput output(context.outputFolder, baseName(url), extension);
        image_io_worker::reencode(url, output,
                                  {.format = format,
                                   .quality = 0.92,
                                   .maxDimension = std::nullopt,
                                   .upright = false,
                                   .stripMetadata = false});
        return context.publish(output);
    });
}

QList<QUrl> StripEXIFPipeline::work(const QList<QUrl>& urls, const PipelineContext& context) const {
    return eachInput(urls, context, [&](const QUrl& url) {
        QString extension = pipeline_support::extension(url);
        if (extension.isEmpty()) extension = QStringLiteral("jpg");
        const QString type =
            uti::identifierForExtension(extension.toLower()).value_or(QStringLiteral("public.jpeg"));
        const QByteArray format = imageio::writerFormat(type);
        StagedOutput output(context.outputFolder, baseName(url) + QStringLiteral("-clean"), extension);
        // A JPEG keeps its compressed picture: decoding and re-encoding it at full
        // quality takes time and doubles the file.
        const bool copied = format == "jpeg" && image_io_worker::stripJpegLosslessly(url, output);
        if (!copied)
            image_io_worker::reencode(url, output,
                                      {.format = format,
                                       .quality = 1.0,
                                       .maxDimension = std::nullopt,
                                       .upright = true,
                                       .stripMetadata = true});
        return context.publish(output);
    });
}

QList<QUrl> ImagesToPDFPipeline::work(const QList<QUrl>& urls, const PipelineContext& context) const {
    if (urls.isEmpty()) throw PipelineError::noInput();
    const QString name = urls.size() == 1 ? baseName(urls.first()) : QStringLiteral("Images");
    StagedOutput output(context.outputFolder, name, QStringLiteral("pdf"));
    QFile file(output.path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw PipelineError::writeFailed(output.displayName());
    PdfWriter pdf(file);
    const double count = double(urls.size());
    for (qsizetype i = 0; i < urls.size(); ++i) {
        context.checkStop();
        const QUrl& url = urls[i];
        const QString path = url.toLocalFile();
        context.progress(double(i) / count, fileName(url));
        bool added = false;
        if (looksLikeJpeg(path)) {
            // Mapped, not read: its bytes go into the document unchanged, and the mapping
            // stays until the page is written.
            const auto input = std::make_shared<const image_io_worker::MappedFile>(path);
            const QByteArray jpeg = input->bytes();
            QBuffer buffer;
            buffer.setData(jpeg);
            const auto header = imageio::jpeg::readHeader(jpeg);
            if (!header || !QImageReader(&buffer, "jpeg").size().isValid())
                throw PipelineError::readFailed(fileName(url));
            image_io_worker::refuseTruncatedJpeg(url, jpeg);
            // Grey and RGB JPEGs go in unchanged; CMYK ones are drawn from their pixels.
            if (header->greyOrRGB) {
                // From the bytes already read: the file is not opened and parsed again.
                const int orientation =
                    imageio::ImageMetadata::fromExif(imageio::jpeg::exifTiff(jpeg)).orientation();
                if (!pdf.addJpegPage(jpeg, header->size, orientation, input))
                    throw PipelineError::writeFailed(output.displayName());
                added = true;
            }
        }
        if (!added) {
            QString error;
            const auto picture = imageio::readImage(path, std::nullopt, true, &error);
            if (!picture) {
                TraceLog::trace(QStringLiteral("pipelines: cannot decode ") + path + QStringLiteral(": ") +
                                error);
                throw PipelineError::readFailed(fileName(url));
            }
            if (!pdf.addImagePage(picture->image)) throw PipelineError::writeFailed(output.displayName());
        }
    }
    QString error;
    if (!pdf.finish(&error) || !file.flush()) {
        TraceLog::trace(QStringLiteral("pipelines: cannot write ") + output.displayName() +
                        QStringLiteral(": ") + (error.isEmpty() ? file.errorString() : error));
        throw PipelineError::writeFailed(output.displayName());
    }
    file.close();
    const QUrl published = context.publish(output);
    if (context.progress.report) context.progress.report(1.0, QStringLiteral("Done"));
    return {published};
}

void setImagePipelineWork() {
    DropPipeline::setWorkOf<CompressImagePipeline>(PipelineID::compressImage);
    DropPipeline::setWorkOf<ConvertFormatPipeline>(PipelineID::convertFormat);
    DropPipeline::setWorkOf<StripEXIFPipeline>(PipelineID::stripEXIF);
    DropPipeline::setWorkOf<ImagesToPDFPipeline>(PipelineID::imagesToPDF);
}

} // namespace vesk
