#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace vesk {

class StagedOutput;

// The one image re-encoder of the image pipelines. Throws PipelineError: readFailed
// naming the source, writeFailed naming the destination.
namespace image_io_worker {

struct Options {
    // The writer's format (ImageFile's writerFormat); empty when none can write the type.
    QByteArray format;
    // 0 to 1; lossy formats only.
    double quality = 1.0;
    std::optional<double> maxDimension;
    // Turn the pixels by the orientation; the orientation written is then 1. HEIF
    // sources are always turned.
    bool upright = false;
    // Write no source metadata at all.
    bool stripMetadata = false;
};

// A file's bytes mapped read-only: a JPEG that is only scanned and copied would
// otherwise be read into a buffer first, moving every byte once more. (A file cut short
// while mapped ends the process with SIGBUS: the pipelines run in the worker, whose end
// fails only the run.)
class MappedFile {
public:
    explicit MappedFile(const QString& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // A regular file that could be opened (it may still be empty or unmappable).
    bool opened() const { return m_opened; }
    // The bytes, not copied; valid while this lives.
    QByteArray bytes() const;

private:
    bool m_opened = false;
    void* m_address = nullptr;
    qsizetype m_size = 0;
};

// Throws readFailed naming `source` when `bytes` are a JPEG whose picture data ends
// early (a file cut off in a copy or a download).
void refuseTruncatedJpeg(const QUrl& source, const QByteArray& bytes);

// Writes the first image of `source` into the staged destination; a JPEG whose data
// ends early is refused rather than written out with its missing part grey.
void reencode(const QUrl& source, StagedOutput& destination, const Options& options);

// Strip EXIF of a JPEG into a JPEG without decoding it: turned upright losslessly, then
// copied without its metadata. False when that cannot be done exactly (the caller
// re-encodes instead); throws readFailed or writeFailed.
bool stripJpegLosslessly(const QUrl& source, StagedOutput& destination);

} // namespace image_io_worker

} // namespace vesk
