#include "VeskServices/Pipelines/ImageIOWorker.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/ImageIO/ImageFile.h"
#include "VeskPlatform/ImageIO/ImageMetadata.h"
#include "VeskPlatform/ImageIO/JpegIntegrity.h"
#include "VeskPlatform/ImageIO/JpegLossless.h"
#include "VeskServices/Pipelines/PipelineError.h"
#include "VeskServices/Pipelines/PipelineSupport.h"
#include "VeskServices/Pipelines/StagedOutput.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::image_io_worker {

namespace {

void trace(const QString& what, const QString& path, const QString& why) {
    TraceLog::trace(QStringLiteral("pipelines: ") + what + QLatin1Char(' ') + path + QStringLiteral(": ") +
                    why);
}

bool startsLikeJpeg(const QByteArray& bytes) {
    return bytes.startsWith("\xFF\xD8\xFF");
}

} // namespace

void refuseTruncatedJpeg(const QUrl& source, const QByteArray& bytes) {
    if (!startsLikeJpeg(bytes) || !imageio::jpeg::isTruncated(bytes)) return;
    trace(QStringLiteral("cannot decode"), source.toLocalFile(),
          QStringLiteral("the picture's data ends early"));
    throw PipelineError::readFailed(pipeline_support::fileName(source));
}

void reencode(const QUrl& source, StagedOutput& destination, const Options& options) {
    const QString path = source.toLocalFile();
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && startsLikeJpeg(file.read(3)))
            refuseTruncatedJpeg(source, MappedFile(path).bytes());
    }
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

namespace {

// In writes of at most 1 MiB: one write of a whole photo made the kernel gather large
// page-cache pages for it, and took several times as long once memory was fragmented.
bool writeAll(int fd, const char* data, qsizetype size) {
    constexpr qsizetype most = qsizetype(1) << 20;
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min(size, most)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

MappedFile::MappedFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        m_opened = true;
        if (info.st_size > 0) {
            void* address =
                ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (address != MAP_FAILED) {
                m_address = address;
                m_size = qsizetype(info.st_size);
            }
        }
    }
    ::close(fd);
}

MappedFile::~MappedFile() {
    if (m_address) ::munmap(m_address, size_t(m_size));
}

QByteArray MappedFile::bytes() const {
    return m_address ? QByteArray::fromRawData(static_cast<const char*>(m_address), m_size) : QByteArray();
}

bool stripJpegLosslessly(const QUrl& source, StagedOutput& destination) {
    const MappedFile input(source.toLocalFile());
    if (!input.opened()) throw PipelineError::readFailed(pipeline_support::fileName(source));
    QByteArray jpeg = input.bytes();
    if (!startsLikeJpeg(jpeg) || !imageio::jpeg::readHeader(jpeg)) return false;
    refuseTruncatedJpeg(source, jpeg);
    const int orientation = imageio::ImageMetadata::fromExif(imageio::jpeg::exifTiff(jpeg)).orientation();
    if (orientation != 1) {
        auto turned = imageio::jpeg::transform(jpeg, orientation);
        if (!turned) return false;
        jpeg = std::move(*turned);
    }
    const auto pieces = imageio::jpeg::metadataFreePieces(jpeg);
    if (!pieces) return false;
    const int output =
        ::open(QFile::encodeName(destination.path()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    bool written = output >= 0;
    for (const imageio::jpeg::Piece& piece : *pieces) {
        if (!written) break;
        written = piece.bytes.isEmpty() ? writeAll(output, jpeg.constData() + piece.offset, piece.length)
                                        : writeAll(output, piece.bytes.constData(), piece.bytes.size());
    }
    const QString why = QString::fromLocal8Bit(std::strerror(errno));
    if (output >= 0 && ::close(output) != 0) written = false;
    if (!written) {
        trace(QStringLiteral("cannot write"), destination.displayName(), why);
        throw PipelineError::writeFailed(destination.displayName());
    }
    return true;
}

} // namespace vesk::image_io_worker
