#include "Vesk/Notch/ArtworkCache.h"

#include <QBuffer>
#include <QImageReader>

#include <cmath>

namespace vesk {

ArtworkCache& ArtworkCache::shared() {
    static ArtworkCache cache;
    return cache;
}

size_t ArtworkCache::key(const std::optional<QByteArray>& data, double size) {
    const size_t seed = qGlobalQHashSeed();
    const qsizetype count = data ? data->size() : 0;
    const auto points = qint64(std::isfinite(size) ? std::trunc(size) : 0);
    if (count == 0) return qHashMulti(seed, count, points);
    if (count <= 512) return qHashMulti(seed, count, *data, points);
    return qHashMulti(seed, count, QByteArrayView(data->constData(), 256),
                      QByteArrayView(data->constData() + count - 256, 256), points);
}

std::optional<QImage> ArtworkCache::downsample(const QByteArray& data, int maxPixelSize) {
    if (data.isEmpty() || maxPixelSize < 1) return std::nullopt;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    // Ask the decoder for the small size where it can scale while decoding (JPEG can).
    // The stored size is before the orientation is applied; a quarter turn swaps it,
    // which leaves the longer side, and so the fitting, unchanged.
    const QSize stored = reader.size();
    if (stored.isValid() && std::max(stored.width(), stored.height()) > maxPixelSize)
        reader.setScaledSize(stored.scaled(maxPixelSize, maxPixelSize, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    if (std::max(image.width(), image.height()) > maxPixelSize)
        image = image.scaled(maxPixelSize, maxPixelSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

std::optional<QImage> ArtworkCache::image(size_t key) {
    std::lock_guard lock(m_mutex);
    const auto found = m_index.constFind(key);
    if (found == m_index.cend()) return std::nullopt;
    m_entries.splice(m_entries.begin(), m_entries, *found);
    return m_entries.front().image;
}

void ArtworkCache::store(const QImage& image, size_t key) {
    std::lock_guard lock(m_mutex);
    if (const auto found = m_index.constFind(key); found != m_index.cend()) {
        m_totalCost -= cost((*found)->image);
        m_entries.erase(*found);
        m_index.remove(key);
    }
    if (image.isNull() || cost(image) > costLimit) return;
    m_entries.push_front(Entry{key, image});
    m_index.insert(key, m_entries.begin());
    m_totalCost += cost(image);
    evict();
}

void ArtworkCache::removeAll() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_index.clear();
    m_totalCost = 0;
}

int ArtworkCache::count() const {
    std::lock_guard lock(m_mutex);
    return int(m_entries.size());
}

qint64 ArtworkCache::totalCost() const {
    std::lock_guard lock(m_mutex);
    return m_totalCost;
}

void ArtworkCache::evict() {
    while (!m_entries.empty() && (int(m_entries.size()) > countLimit || m_totalCost > costLimit)) {
        m_totalCost -= cost(m_entries.back().image);
        m_index.remove(m_entries.back().key);
        m_entries.pop_back();
    }
}

} // namespace vesk
