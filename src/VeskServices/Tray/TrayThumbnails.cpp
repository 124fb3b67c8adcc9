#include "VeskServices/Tray/TrayThumbnails.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/Files/TypeIcons.h"
#include "VeskPlatform/Files/UniformTypes.h"
#include "VeskPlatform/Thumbnails/PngEncoder.h"
#include "VeskPlatform/Thumbnails/ThumbnailGenerator.h"
#include "VeskServices/Tray/TrayFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPointer>
#include <QSaveFile>
#include <QThreadPool>

#include <cerrno>
#include <cmath>
#include <sys/stat.h>

namespace vesk {

namespace {

// Atomic, and never through a link: QSaveFile writes to a link's target, so anything
// but a plain file (or nothing) at the cache path, or anything but a real folder for
// the previews, means no caching.
void writeCache(const QString& path, const QImage& image) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).path());
    struct stat info {};
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) return;
    if (::lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
    const QFileInfo existing(path);
    if (tray_files::entryExists(path) && (existing.isSymLink() || !existing.isFile())) return;
    const QByteArray png = png::encode(image);
    if (png.isEmpty()) return;
    QSaveFile file(path);
    // Unbuffered, so a write the disk cannot take fails here: commit() renames a
    // temporary whose buffered end could not be written.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    if (file.write(png) != png.size()) {
        file.cancelWriting();
        return;
    }
    if (!file.commit()) TraceLog::trace(QStringLiteral("tray: could not cache a preview in ") + path);
}

} // namespace

TrayThumbnails::TrayThumbnails(QString root, PictureSource pictures,
                               std::shared_ptr<ThumbnailGenerator> generator)
    : m_root(std::move(root)), m_pictures(std::move(pictures)), m_generator(std::move(generator)) {}

void TrayThumbnails::request(const TrayItem& item, double size, QObject* context,
                             std::function<void(const QImage&)> done) const {
    const int pixels = std::max(1, static_cast<int>(std::lround(size * scale)));
    const QString cache = tray_files::previewPath(m_root, item.id);
    const bool cacheable = tray_files::hasValidStoredPath(m_root, item);
    // Delivered through the application object, and only there is `context` checked,
    // so a context deleted meanwhile is never touched from the pool's thread.
    QPointer<QObject> target(context);
    auto deliver = [target, done](std::function<QImage()> make) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [target, done, make = std::move(make)] {
                if (target) done(make());
            },
            Qt::QueuedConnection);
    };
    const QString root = m_root;
    // A fresh preview is cached only while the item's own real folder is there, so one
    // finishing after its item left leaves nothing.
    auto keep = [root, item, cache, cacheable](const QImage& image) {
        if (cacheable && tray_files::isRealItemFolder(root, item.id)) writeCache(cache, image);
    };
    // What no picture could be made of goes to the thumbnailer programs, then the icon.
    auto fromGenerator = [item, pixels, generator = m_generator, keep, deliver] {
        QThreadPool::globalInstance()->start([item, pixels, generator, keep, deliver] {
            std::optional<QImage> fresh =
                generator ? generator->thumbnail(item.storedPath, pixels) : std::nullopt;
            if (fresh && !fresh->isNull()) {
                keep(*fresh);
                deliver([image = *fresh] { return image; });
                return;
            }
            // Icons come from Qt's pixmap cache, which lives on the main thread.
            deliver([type = item.utType(), pixels] { return uti::iconImage(type, pixels); });
        });
    };
    // On the main thread: the picture, rendered apart from the program.
    // Only pictures go there: asking about other files would start the worker for nothing.
    const QMimeType type = QMimeDatabase().mimeTypeForName(uti::mimeTypeForIdentifier(item.utType()));
    const bool picture =
        type.name().startsWith(QLatin1String("image/")) || type.inherits(QStringLiteral("application/pdf"));
    auto fromPictures = [target, item, pixels, pictures = picture ? m_pictures : PictureSource(), keep,
                         deliver, fromGenerator] {
        if (!pictures) {
            fromGenerator();
            return;
        }
        pictures(item.storedPath, pixels, [target, keep, deliver, fromGenerator](const auto& picture) {
            if (!target) return;
            if (!picture || picture->isNull()) {
                fromGenerator();
                return;
            }
            QThreadPool::globalInstance()->start([image = *picture, keep, deliver] {
                keep(image);
                deliver([image] { return image; });
            });
        });
    };
    QThreadPool::globalInstance()->start([root, item, cache, cacheable, deliver, target, fromPictures] {
        const QFileInfo cacheInfo(cache);
        if (cacheable && tray_files::isRealItemFolder(root, item.id) && !cacheInfo.isSymLink() &&
            cacheInfo.isFile()) {
            // Our own PNG, read as PNG only: a reader left to guess would load every
            // image plugin Qt has.
            QImageReader reader(cache, "png");
            reader.setAutoDetectImageFormat(false);
            const QImage cached = reader.read();
            if (!cached.isNull()) {
                deliver([cached] { return cached; });
                return;
            }
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [target, fromPictures] {
                if (target) fromPictures();
            },
            Qt::QueuedConnection);
    });
}

} // namespace vesk
