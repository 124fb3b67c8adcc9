#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace vesk {

// Makes preview pictures of files. Blocks while it works, so it is called off the main
// thread, possibly from several threads at once.
class ThumbnailGenerator {
public:
    virtual ~ThumbnailGenerator() = default;
    // A preview that fits `pixels` by `pixels` (aspect kept); absent when the file's
    // type cannot be previewed or the preview failed.
    virtual std::optional<QImage> thumbnail(const QString& path, int pixels) = 0;
};

} // namespace vesk
