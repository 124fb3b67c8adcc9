#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskPlatform/Archive/ZipArchive.h"
#include "VeskServices/Pipelines/DropPipeline.h"

#include <functional>
#include <optional>

namespace vesk {

class Pasteboard;

// Zip, Unzip and Rename read whole files and folders (the archives parsed), so they run
// in the pipeline worker; work() is linked there only.

// One ZIP of everything dropped.
class ZipPipeline final : public DropPipeline {
public:
    PipelineID id() const override { return PipelineID::zip; }
    QString title() const override { return QStringLiteral("Zip"); }
    QString symbol() const override { return QStringLiteral("doc.zipper"); }
    bool accepts(const QList<QUrl>& urls) const override { return !urls.isEmpty(); }
    bool runsApart() const override { return true; }
    QList<QUrl> work(const QList<QUrl>& urls, const PipelineContext& context) const;
};

// A folder per ZIP, extracted safely.
class UnzipPipeline final : public DropPipeline {
public:
    // Without limits: 250,000 entries and 1000 times the archive's size (at least 1 GiB).
    // What it holds must also fit the output's free space less a small reserve.
    explicit UnzipPipeline(std::optional<zip_archive::Limits> limits = std::nullopt) : m_limits(limits) {}
    PipelineID id() const override { return PipelineID::unzip; }
    QString title() const override { return QStringLiteral("Unzip"); }
    QString symbol() const override { return QStringLiteral("arrow.up.bin"); }
    // Every file's extension is "zip", in any case.
    bool accepts(const QList<QUrl>& urls) const override;
    bool runsApart() const override { return true; }
    QJsonObject settings() const override;
    QList<QUrl> work(const QList<QUrl>& urls, const PipelineContext& context) const;

private:
    std::optional<zip_archive::Limits> m_limits;
};

// Copies under names made from a pattern of "{name}", "{n}", "{ext}" and "{date}".
class RenamePipeline final : public DropPipeline {
public:
    using DateProvider = std::function<Date()>;
    explicit RenamePipeline(QString pattern = QStringLiteral("{name}-{n}"), DateProvider dateProvider = {});
    PipelineID id() const override { return PipelineID::rename; }
    QString title() const override { return QStringLiteral("Rename"); }
    QString symbol() const override { return QStringLiteral("textformat"); }
    bool accepts(const QList<QUrl>& urls) const override { return !urls.isEmpty(); }
    bool runsApart() const override { return true; }
    // The pattern, and the run's date: the date provider is asked here, once a run.
    QJsonObject settings() const override;

    const QString& pattern() const { return m_pattern; }
    // The pattern with its tokens replaced, one after the other; no extension.
    QString name(const QUrl& url, int index, const Date& date) const;
    QList<QUrl> work(const QList<QUrl>& urls, const PipelineContext& context) const;

private:
    QString m_pattern;
    DateProvider m_dateProvider;
};

// The paths, one a line, on the clipboard. Reads no file, so it runs in the program.
class CopyPathsPipeline final : public DropPipeline {
public:
    // Writes on the main thread; the desktop's clipboard when null.
    explicit CopyPathsPipeline(Pasteboard* pasteboard = nullptr) : m_pasteboard(pasteboard) {}
    PipelineID id() const override { return PipelineID::copyPaths; }
    QString title() const override { return QStringLiteral("Copy path"); }
    QString symbol() const override { return QStringLiteral("doc.on.clipboard"); }
    bool accepts(const QList<QUrl>& urls) const override { return !urls.isEmpty(); }

protected:
    QList<QUrl> perform(const QList<QUrl>& urls, const PipelineContext& context) const override;

private:
    Pasteboard* m_pasteboard;
};

// Sets Zip's, Unzip's and Rename's work (in the worker).
void setFilePipelineWork();

} // namespace vesk
