#pragma once

#include "VeskPlatform/Thumbnails/ThumbnailGenerator.h"

#include <QColor>
#include <QStringList>

#include <atomic>
#include <mutex>

namespace vesk::test {

// Answers every request with a square of one colour, or with nothing while `fail` is
// set, and remembers what it was asked.
class FakeThumbnailGenerator final : public ThumbnailGenerator {
public:
    std::optional<QImage> thumbnail(const QString& path, int pixels) override {
        {
            std::lock_guard lock(m_mutex);
            m_paths.append(path);
            m_lastPixels = pixels;
        }
        ++m_calls;
        if (fail.load()) return std::nullopt;
        QImage image(pixels, pixels, QImage::Format_ARGB32);
        image.fill(QColor::fromRgb(color.load()));
        return image;
    }

    int calls() const { return m_calls.load(); }
    int lastPixels() const {
        std::lock_guard lock(m_mutex);
        return m_lastPixels;
    }
    QStringList paths() const {
        std::lock_guard lock(m_mutex);
        return m_paths;
    }

    std::atomic<bool> fail{false};
    std::atomic<QRgb> color{qRgb(200, 40, 40)};

private:
    mutable std::mutex m_mutex;
    QStringList m_paths;
    int m_lastPixels = 0;
    std::atomic<int> m_calls{0};
};

} // namespace vesk::test
