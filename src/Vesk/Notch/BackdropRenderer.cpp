#include "Vesk/Notch/BackdropRenderer.h"

#include "VeskUI/Imaging/GaussianBlur.h"
#include "VeskUI/Notch/NotchShape.h"

#include <QPainter>

#include <cmath>

namespace vesk::BackdropRenderer {

size_t qHash(const Key& key, size_t seed) noexcept {
    // Negative zero hashes as zero, as it compares equal.
    const auto plain = [](double v) { return v == 0 ? 0.0 : v; };
    return qHashMulti(seed, plain(key.width), plain(key.height), plain(key.shapeLeft), plain(key.shapeWidth),
                      plain(key.shapeHeight), plain(key.bottomRadius), plain(key.scale));
}

std::optional<QImage> render(const QSizeF& windowSize, double shapeLeft, const QSizeF& shapeSize,
                             double topRadius, double bottomRadius, double featherPoints, double scale) {
    if (!std::isfinite(scale) || scale <= 0) return std::nullopt;
    const double pw = std::round(windowSize.width() * scale);
    const double ph = std::round(windowSize.height() * scale);
    if (!(pw >= 1) || !(ph >= 1) || pw > 16384 || ph > 16384) return std::nullopt;

    // Only the alpha varies (the fill is black), so the outline is drawn and blurred as
    // an alpha plane and turned into black pixels at the end.
    QImage alpha(int(pw), int(ph), QImage::Format_Alpha8);
    alpha.fill(0);
    {
        QPainter painter(&alpha);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        const QRectF outline(shapeLeft, 0, shapeSize.width(), shapeSize.height());
        QPainterPath path = NotchShape{topRadius, bottomRadius}.path(outline);
        path.setFillRule(Qt::WindingFill);
        painter.fillPath(path, QColor(0, 0, 0, qRound(fillOpacity * 255)));
    }
    QImage blurred = gaussianBlurredAlpha(alpha, featherPoints * blurShare * scale);
    QImage image = blurred.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    return image;
}

Cache& Cache::shared() {
    static Cache cache;
    return cache;
}

std::optional<QImage> Cache::image(const Key& key) const {
    const auto found = m_images.constFind(key);
    if (found == m_images.cend()) return std::nullopt;
    return *found;
}

void Cache::store(const Key& key, const std::optional<QImage>& image) {
    if (!image) {
        m_images.remove(key);
        return;
    }
    if (m_images.size() >= flushAt) m_images.clear();
    m_images.insert(key, *image);
}

} // namespace vesk::BackdropRenderer
