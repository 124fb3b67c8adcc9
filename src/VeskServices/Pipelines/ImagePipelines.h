#pragma once

#include "VeskServices/Pipelines/DropPipeline.h"

#include <optional>

namespace vesk {

// The four pipelines that take only images (every file passes isImage).
// Each decodes the files, so it runs in the pipeline worker; work() is linked there only.
class ImagePipeline : public DropPipeline {
public:
    bool accepts(const QList<QUrl>& urls) const override;
    bool runsApart() const override { return true; }
};

// Smaller JPEG copies, upright, no larger than maxDimension on their longer side.
class CompressImagePipeline final : public ImagePipeline {
public:
    explicit CompressImagePipeline(double quality = 0.7, std::optional<double> maxDimension = 2048.0)
        : m_quality(quality), m_maxDimension(maxDimension) {}
    PipelineID id() const override { return PipelineID::compressImage; }
    QString title() const override { return QStringLiteral("Compress"); }
    QString symbol() const override { return QStringLiteral("arrow.down.circle"); }

    QJsonObject settings() const override;
    QList<QUrl> work(const QList<QUrl>& urls, const PipelineContext& context) const;

private:
    double m_quality;
    std::optional<double> m_maxDimension;
};

// Copies in another image type (PNG by default), pixels as stored.
class ConvertFormatPipeline final : public ImagePipeline {
public:
    explicit ConvertFormatPipeline(QString target = QStringLiteral("public.png"))
        : m_target(std::move(target)) {}
    PipelineID id() const override { return PipelineID::convertFormat; }
    // "To " and the target's label.
    QString title() const override { return QStringLiteral("To ") + label(m_target); }
    QString symbol() const override { return QStringLiteral("arrow.triangle.2.circlepath"); }
    const QString& target() const { return m_target; }

    // A short label for a uniform type: PNG, JPEG, HEIC, TIFF, else its preferred
    // extension in capitals, else "Image".
    static QString label(const QString& type);

    QJsonObject settings() const override;
    QList<QUrl> work(const QList<QUrl>& urls, const PipelineContext& context) const;

private:
    QString m_target;
};

// Copies without metadata, upright, keeping the colour profile.
class StripEXIFPipeline final : public ImagePipeline {
public:
    PipelineID id() const override { return PipelineID::stripEXIF; }
    QString title() const override { return QStringLiteral("Strip EXIF"); }
    QString symbol() const override { return QStringLiteral("eye.slash"); }

    QList<QUrl> work(const QList<QUrl>& urls, const PipelineContext& context) const;
};

// One PDF with a page per image, in input order.
class ImagesToPDFPipeline final : public ImagePipeline {
public:
    PipelineID id() const override { return PipelineID::imagesToPDF; }
    QString title() const override { return QStringLiteral("To PDF"); }
    QString symbol() const override { return QStringLiteral("doc.richtext"); }

    QList<QUrl> work(const QList<QUrl>& urls, const PipelineContext& context) const;
};

// Sets the four pipelines' work (in the worker).
void setImagePipelineWork();

} // namespace vesk
