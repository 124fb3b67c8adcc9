#pragma once

#include "VeskServices/Tray/TrayItem.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class ThumbnailGenerator;

// Previews of tray items, cached apart from the items' folders (tray_files::previewPath),
// so no file the user gave is taken for a preview, nor a preview for one. Dropped files
// are never decoded here: pictures (images, PDF pages) come from `pictures`, which
// renders them in another process, and other types from the generator's thumbnailer
// programs.
// The cache read, the generator and the cache write run on Qt's shared thread pool.
class TrayThumbnails {
public:
    // Device pixels per point of the requested size.
    static constexpr double scale = 2.0;

    using PictureDone = std::function<void(const std::optional<QImage>& picture)>;
    // Renders the picture of an image or of a PDF's first page fitting `pixels` square,
    // apart from the program; answers on the main thread, with nothing for any other
    // file and for one that cannot be decoded. Called on the main thread.
    using PictureSource = std::function<void(const QString& path, int pixels, PictureDone done)>;

    TrayThumbnails(QString root, PictureSource pictures, std::shared_ptr<ThumbnailGenerator> generator);

    // Calls `done` on the main thread (never, once `context` is gone) with the cached
    // preview if one reads back (even when the file changed since), else a fresh one
    // (cached for next time), else the icon of the item's type (not cached, so the next
    // request tries again). The image is null only when no icon theme has the icon.
    void request(const TrayItem& item, double size, QObject* context,
                 std::function<void(const QImage&)> done) const;

private:
    QString m_root;
    PictureSource m_pictures;
    std::shared_ptr<ThumbnailGenerator> m_generator;
};

} // namespace vesk
