// What the program and the pipeline worker both know of the pipelines: which files they
// take, their titles and settings, and how a pipeline is made again from its settings.
// The work itself is linked into the worker only.
#include "VeskServices/Pipelines/FilePipelines.h"
#include "VeskServices/Pipelines/ImagePipelines.h"
#include "VeskServices/Pipelines/PipelineSupport.h"

#include <QLocale>

namespace vesk {

using namespace pipeline_support;

bool ImagePipeline::accepts(const QList<QUrl>& urls) const {
    if (urls.isEmpty()) return false;
    return std::all_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return isImage(url); });
}

QJsonObject CompressImagePipeline::settings() const {
    QJsonObject settings{{QStringLiteral("quality"), m_quality}};
    if (m_maxDimension) settings.insert(QStringLiteral("maxDimension"), *m_maxDimension);
    return settings;
}

QString ConvertFormatPipeline::label(const QString& type) {
    static const std::pair<const char*, const char*> named[] = {
        {"public.png", "PNG"}, {"public.jpeg", "JPEG"}, {"public.heic", "HEIC"}, {"public.tiff", "TIFF"}};
    for (const auto& [identifier, text] : named)
        if (type == QLatin1String(identifier)) return QLatin1String(text);
    const QString extension = preferredExtension(type);
    return extension.isEmpty() ? QStringLiteral("Image") : extension.toUpper();
}

QJsonObject ConvertFormatPipeline::settings() const {
    return {{QStringLiteral("target"), m_target}};
}

bool UnzipPipeline::accepts(const QList<QUrl>& urls) const {
    if (urls.isEmpty()) return false;
    return std::all_of(urls.cbegin(), urls.cend(),
                       [](const QUrl& url) { return extension(url).toLower() == QLatin1String("zip"); });
}

QJsonObject UnzipPipeline::settings() const {
    if (!m_limits) return {};
    return {{QStringLiteral("maxEntries"), double(m_limits->maxEntries)},
            {QStringLiteral("maxBytes"), double(m_limits->maxBytes)},
            {QStringLiteral("maxLinkSteps"), double(m_limits->maxLinkSteps)},
            {QStringLiteral("maxFreeBytes"), double(m_limits->maxFreeBytes)}};
}

RenamePipeline::RenamePipeline(QString pattern, DateProvider dateProvider)
    : m_pattern(std::move(pattern)), m_dateProvider(std::move(dateProvider)) {
    if (!m_dateProvider) m_dateProvider = [] { return Date::now(); };
}

QString RenamePipeline::name(const QUrl& url, int index, const Date& date) const {
    QString result = m_pattern;
    result.replace(QStringLiteral("{name}"), baseName(url));
    result.replace(QStringLiteral("{n}"), QString::number(index + 1));
    result.replace(QStringLiteral("{ext}"), extension(url));
    result.replace(QStringLiteral("{date}"),
                   QLocale::system().toString(date.toDateTime().toLocalTime(), QStringLiteral("yyyy-MM-dd")));
    return result;
}

QJsonObject RenamePipeline::settings() const {
    return {{QStringLiteral("pattern"), m_pattern},
            {QStringLiteral("date"), m_dateProvider().secondsSinceReferenceDate}};
}

PipelinePtr pipelineFromSettings(PipelineID id, const QJsonObject& settings) {
    const auto text = [&](const char* key, const QString& fallback) {
        return settings.value(QLatin1String(key)).toString(fallback);
    };
    switch (id) {
    case PipelineID::compressImage: {
        std::optional<double> maxDimension;
        if (settings.value(QStringLiteral("maxDimension")).isDouble())
            maxDimension = settings.value(QStringLiteral("maxDimension")).toDouble();
        return std::make_shared<CompressImagePipeline>(
            settings.value(QStringLiteral("quality")).toDouble(0.7), maxDimension);
    }
    case PipelineID::convertFormat:
        return std::make_shared<ConvertFormatPipeline>(text("target", QStringLiteral("public.png")));
    case PipelineID::stripEXIF:
        return std::make_shared<StripEXIFPipeline>();
    case PipelineID::imagesToPDF:
        return std::make_shared<ImagesToPDFPipeline>();
    case PipelineID::zip:
        return std::make_shared<ZipPipeline>();
    case PipelineID::unzip: {
        if (!settings.contains(QStringLiteral("maxBytes"))) return std::make_shared<UnzipPipeline>();
        zip_archive::Limits limits;
        limits.maxEntries =
            qint64(settings.value(QStringLiteral("maxEntries")).toDouble(double(limits.maxEntries)));
        limits.maxBytes =
            qint64(settings.value(QStringLiteral("maxBytes")).toDouble(double(limits.maxBytes)));
        limits.maxLinkSteps =
            qint64(settings.value(QStringLiteral("maxLinkSteps")).toDouble(double(limits.maxLinkSteps)));
        const QJsonValue room = settings.value(QStringLiteral("maxFreeBytes"));
        // Past what a double holds exactly: no bound.
        if (room.isDouble() && room.toDouble() < 9e18) limits.maxFreeBytes = qint64(room.toDouble());
        return std::make_shared<UnzipPipeline>(limits);
    }
    case PipelineID::rename: {
        const QJsonValue date = settings.value(QStringLiteral("date"));
        RenamePipeline::DateProvider provider;
        if (date.isDouble()) provider = [seconds = date.toDouble()] { return Date{seconds}; };
        return std::make_shared<RenamePipeline>(text("pattern", QStringLiteral("{name}-{n}")), provider);
    }
    case PipelineID::copyPaths:
        break;
    }
    return nullptr;
}

} // namespace vesk
