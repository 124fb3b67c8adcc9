#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>

#include <list>
#include <mutex>
#include <optional>

namespace vesk {

// The one in-memory cache of decoded album artwork, shared by every artwork view on
// every display, so one track's cover is decoded once per size. Bounded by count and by
// pixel bytes; the least recently used image goes first. Safe from any thread.
class ArtworkCache {
public:
    static constexpr int countLimit = 12;
    static constexpr qint64 costLimit = 25'165'824; // 24 MiB of RGBA pixels

    static ArtworkCache& shared();

    // The key of some artwork bytes shown at `size` points. Valid for this run only
    // (the hash is seeded per process). Large artwork is keyed by its length and its
    // first and last 256 bytes, so keying never reads the whole picture; artwork of
    // 512 bytes or less is keyed by all of it, so two small pictures never share one.
    static size_t key(const std::optional<QByteArray>& data, double size);

    // Decodes at most `maxPixelSize` pixels on the longer side (never enlarging), with
    // the orientation the file records applied. Nothing when the bytes are no image.
    static std::optional<QImage> downsample(const QByteArray& data, int maxPixelSize);

    std::optional<QImage> image(size_t key);
    // Keeps `image` under `key`, evicting the least recently used images beyond the
    // limits. An image larger than the whole cost limit is not kept.
    void store(const QImage& image, size_t key);
    void removeAll();

    int count() const;
    qint64 totalCost() const;

    // Width x height x 4.
    static qint64 cost(const QImage& image) { return qint64(image.width()) * image.height() * 4; }

private:
    struct Entry {
        size_t key;
        QImage image;
    };

    void evict();

    mutable std::mutex m_mutex;
    std::list<Entry> m_entries; // most recently used first
    QHash<size_t, std::list<Entry>::iterator> m_index;
    qint64 m_totalCost = 0;
};

} // namespace vesk
