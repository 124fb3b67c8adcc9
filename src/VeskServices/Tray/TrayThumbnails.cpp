#include "VeskServices/Tray/TrayThumbnails.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/Files/TypeIcons.h"
#include "VeskPlatform/Thumbnails/ThumbnailGenerator.h"
#include "VeskServices/Tray/TrayFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QThreadPool>

#include <cmath>

namespace vesk {

namespace {

// Atomic, and never through a link: QSaveFile writes to a link's target, so anything
// but a plain file (or nothing) at the cache path means no caching. The folder is not
// created either, so a preview finishing after its item was deleted leaves nothing.
void writeCache(const QString& path, const QImage& image) {
    const QFileInfo existing(path);
    if (tray_files::entryExists(path) && (existing.isSymLink() || !existing.isFile())) return;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    if (file.write(png) != png.size()) {
        file.cancelWriting();
        return;
    }
    if (!file.commit()) TraceLog::trace(QStringLiteral("tray: could not cache a preview in ") + path);
}

} // namespace

TrayThumbnails::TrayThumbnails(QString root, std::shared_ptr<ThumbnailGenerator> generator)
    : m_root(std::move(root)), m_generator(std::move(generator)) {}

void TrayThumbnails::request(const TrayItem& item, double size, QObject* context,
                             std::function<void(const QImage&)> done) const {
    const int pixels = std::max(1, static_cast<int>(std::lround(size * scale)));
    const QString cache = tray_files::itemFolder(m_root, item.id) + QLatin1Char('/') +
                          QString::fromUtf16(tray_files::thumbnailName);
    // An item whose own file is named like the cache is never cached over.
    const bool cacheable = tray_files::hasValidStoredPath(m_root, item) && item.storedPath != cache;
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
    QThreadPool::globalInstance()->start(
        [root = m_root, item, pixels, cache, cacheable, generator = m_generator, deliver] {
            const bool inRealFolder = cacheable && tray_files::isRealItemFolder(root, item.id);
            const QFileInfo cacheInfo(cache);
            if (inRealFolder && !cacheInfo.isSymLink() && cacheInfo.isFile()) {
                QImage cached;
                if (cached.load(cache, "PNG")) {
                    deliver([cached] { return cached; });
                    return;
                }
            }
            std::optional<QImage> fresh =
                generator ? generator->thumbnail(item.storedPath, pixels) : std::nullopt;
            if (fresh && !fresh->isNull()) {
                if (inRealFolder) writeCache(cache, *fresh);
                deliver([image = *fresh] { return image; });
                return;
            }
            // Icons come from Qt's pixmap cache, which lives on the main thread.
            deliver([type = item.utType(), pixels] { return uti::iconImage(type, pixels); });
        });
}

} // namespace vesk
