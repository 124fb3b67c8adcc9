#include "Vesk/Notch/ArtworkLoader.h"

#include "Vesk/Notch/ArtworkCache.h"

#include <QCoreApplication>
#include <QFuture>
#include <QFutureWatcher>
#include <QHash>
#include <QtConcurrent>

namespace vesk {

namespace {

using Decode = QFuture<std::optional<QImage>>;

// Decodes in flight, by key, so views that ask for the same artwork at the same moment
// (one per display) share one decode. Main thread only.
QHash<size_t, Decode>& decodesInFlight() {
    static QHash<size_t, Decode> decodes;
    return decodes;
}

Decode decode(size_t key, const QByteArray& data, int maxPixelSize) {
    auto& inFlight = decodesInFlight();
    if (const auto found = inFlight.constFind(key); found != inFlight.cend()) return *found;
    Decode future = QtConcurrent::run([key, data, maxPixelSize] {
        std::optional<QImage> image = ArtworkCache::downsample(data, maxPixelSize);
        if (image) ArtworkCache::shared().store(*image, key);
        return image;
    });
    inFlight.insert(key, future);
    auto* done = new QFutureWatcher<std::optional<QImage>>(QCoreApplication::instance());
    QObject::connect(done, &QFutureWatcherBase::finished, done, [done, key] {
        decodesInFlight().remove(key);
        done->deleteLater();
    });
    done->setFuture(future);
    return future;
}

} // namespace

ArtworkLoader::ArtworkLoader(QObject* parent) : QObject(parent) {}

void ArtworkLoader::load(const std::optional<QByteArray>& data, double size) {
    const size_t key = ArtworkCache::key(data, size);
    if (m_key == key) return;
    m_key = key;
    m_decoding = false;
    if (!data || data->isEmpty()) {
        setImage(std::nullopt);
        return;
    }
    if (auto cached = ArtworkCache::shared().image(key)) {
        setImage(std::move(cached));
        return;
    }
    m_decoding = true;
    auto* watcher = new QFutureWatcher<std::optional<QImage>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, key] {
        watcher->deleteLater();
        if (m_key != key) return;
        m_decoding = false;
        if (std::optional<QImage> image = watcher->result())
            setImage(std::move(image));
        else
            Q_EMIT decodeFailed();
    });
    watcher->setFuture(decode(key, *data, int(size * 3)));
}

void ArtworkLoader::clear() {
    m_key.reset();
    m_decoding = false;
    setImage(std::nullopt);
}

void ArtworkLoader::setImage(std::optional<QImage> image) {
    const bool same =
        m_image.has_value() == image.has_value() && (!image || m_image->cacheKey() == image->cacheKey());
    m_image = std::move(image);
    if (!same) Q_EMIT imageChanged();
}

} // namespace vesk
