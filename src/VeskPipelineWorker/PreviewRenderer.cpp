#include "VeskPipelineWorker/PreviewRenderer.h"

#include "VeskPlatform/ImageIO/ImageFile.h"

#include <QMimeDatabase>
#include <QPainter>
#include <QPdfDocument>

#include <algorithm>

namespace vesk::worker {

using pipeline_protocol::Rendered;

std::optional<Rendered> renderPreview(const QString& path, const QSize& bound) {
    if (bound.isEmpty()) return std::nullopt;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (type.inherits(QStringLiteral("application/pdf"))) {
        QPdfDocument document;
        if (document.load(path) != QPdfDocument::Error::None || document.pageCount() < 1) return std::nullopt;
        const QSize size = document.pagePointSize(0).toSize().scaled(bound, Qt::KeepAspectRatio);
        const QImage image = document.render(0, size);
        if (image.isNull()) return std::nullopt;
        // Pages have no ground of their own: paper is white.
        QImage paper(image.size(), QImage::Format_RGB32);
        paper.fill(Qt::white);
        QPainter(&paper).drawImage(0, 0, image);
        return Rendered{Rendered::Kind::pdf, paper};
    }
    auto picture = imageio::readImage(path, double(std::max(bound.width(), bound.height())), true);
    if (!picture) return std::nullopt;
    QImage image = picture->image;
    if (image.width() > bound.width() || image.height() > bound.height())
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return Rendered{Rendered::Kind::image, image};
}

} // namespace vesk::worker
