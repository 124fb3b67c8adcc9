#include "VeskServices/Pipelines/FilePipelines.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskServices/Pipelines/PipelineSupport.h"
#include "VeskServices/Pipelines/StagedOutput.h"
#include "VeskServices/Tray/TrayFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace vesk {

namespace {

using namespace pipeline_support;

constexpr qint64 gibibyte = qint64(1) << 30;
// Left free by an unzip, so the desktop's own files can still be saved.
constexpr qint64 spaceReserve = qint64(16) << 20;

// An input that is the output folder or holds it would be copied into itself until
// the disk is full.
void refuseAncestorsOfTheOutput(const QList<QUrl>& urls, const QString& outputFolder) {
    const QString output = QFileInfo(outputFolder).canonicalFilePath();
    for (const QUrl& url : urls) {
        const QString input = QFileInfo(url.toLocalFile()).canonicalFilePath();
        if (input.isEmpty() || output.isEmpty()) continue;
        if (output == input ||
            output.startsWith(input == QLatin1String("/") ? input : input + QLatin1Char('/')))
            throw PipelineError::unsupported();
    }
}

[[noreturn]] void raise(const zip_archive::Failure& failure, const QString& readName,
                        const QString& writeName) {
    TraceLog::trace(QStringLiteral("pipelines: ") + failure.path + QStringLiteral(": ") + failure.reason);
    switch (failure.kind) {
    case zip_archive::Failure::Kind::stopped:
        throw PipelineStopped{};
    case zip_archive::Failure::Kind::readFailed:
        throw PipelineError::readFailed(readName.isEmpty() ? QFileInfo(failure.path).fileName() : readName);
    case zip_archive::Failure::Kind::writeFailed:
        throw PipelineError::writeFailed(writeName);
    case zip_archive::Failure::Kind::noSpace:
        throw FileSystemError{QStringLiteral("Not enough free space to unzip ") + readName};
    case zip_archive::Failure::Kind::library:
        break;
    }
    throw PipelineError::toolFailed(failure.reason);
}

// One path component: no "/" or NUL, never "." or "..".
QString component(QString name) {
    name.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QChar(0), QLatin1Char('-'));
    if (name == QLatin1String(".") || name == QLatin1String("..")) return QStringLiteral("file");
    return name;
}

} // namespace

QList<QUrl> ZipPipeline::work(const QList<QUrl>& urls, const PipelineContext& context) const {
    if (urls.isEmpty()) throw PipelineError::noInput();
    if (context.progress.report) context.progress.report(0.1, QStringLiteral("Compressing"));
    refuseAncestorsOfTheOutput(urls, context.outputFolder);
    StagedOutput output(context.outputFolder,
                        urls.size() == 1 ? baseName(urls.first()) : QStringLiteral("Archive"),
                        QStringLiteral("zip"));
    QStringList paths;
    for (const QUrl& url : urls)
        paths.append(url.toLocalFile());
    if (const auto failure = zip_archive::write(paths, output.path(), context.stop.get()))
        raise(*failure, {}, output.displayName());
    const QUrl published = context.publish(output);
    if (context.progress.report) context.progress.report(1.0, QStringLiteral("Done"));
    return {published};
}

QList<QUrl> UnzipPipeline::work(const QList<QUrl>& urls, const PipelineContext& context) const {
    if (urls.isEmpty()) throw PipelineError::noInput();
    QList<QUrl> produced;
    for (qsizetype i = 0; i < urls.size(); ++i) {
        context.checkStop();
        const QUrl& url = urls[i];
        context.progress(double(i) / double(urls.size()), fileName(url));
        zip_archive::Limits limits;
        if (m_limits)
            limits = *m_limits;
        else
            limits.maxBytes = std::max(1000 * QFileInfo(url.toLocalFile()).size(), gibibyte);
        // Refused for space only when what it holds does not fit.
        const QStorageInfo disk(context.outputFolder);
        if (disk.isValid() && disk.bytesAvailable() >= 0)
            limits.maxFreeBytes =
                std::min(limits.maxFreeBytes, std::max<qint64>(0, disk.bytesAvailable() - spaceReserve));
        // Filled in a hidden folder: a failure removes it whole.
        StagedOutput output(context.outputFolder, baseName(url), QStringLiteral("unzipped"),
                            StagedOutput::Kind::folder);
        if (const auto failure =
                zip_archive::extract(url.toLocalFile(), output.path(), limits, context.stop.get()))
            raise(*failure, fileName(url), output.displayName());
        produced.append(context.publish(output));
    }
    if (context.progress.report) context.progress.report(1.0, QStringLiteral("Done"));
    return produced;
}

QList<QUrl> RenamePipeline::work(const QList<QUrl>& urls, const PipelineContext& context) const {
    if (urls.isEmpty()) throw PipelineError::noInput();
    refuseAncestorsOfTheOutput(urls, context.outputFolder);
    const Date date = m_dateProvider();
    static const std::atomic<bool> never{false};
    const std::atomic<bool>& stop = context.stop ? *context.stop : never;
    QList<QUrl> produced;
    for (qsizetype i = 0; i < urls.size(); ++i) {
        context.checkStop();
        const QUrl& url = urls[i];
        context.progress(double(i) / double(urls.size()), fileName(url));
        StagedOutput output(context.outputFolder, component(name(url, int(i), date)), extension(url),
                            StagedOutput::Kind::entry);
        QString error;
        if (!tray_files::copy(url.toLocalFile(), output.path(), stop, &error)) {
            context.checkStop();
            // The copy is named as the user will know it, not by its hidden temporary.
            if (error.startsWith(output.path())) error.replace(0, output.path().size(), output.displayName());
            throw FileSystemError{error};
        }
        produced.append(context.publish(output));
    }
    if (context.progress.report) context.progress.report(1.0, QStringLiteral("Done"));
    return produced;
}

void setFilePipelineWork() {
    DropPipeline::setWorkOf<ZipPipeline>(PipelineID::zip);
    DropPipeline::setWorkOf<UnzipPipeline>(PipelineID::unzip);
    DropPipeline::setWorkOf<RenamePipeline>(PipelineID::rename);
}

} // namespace vesk
