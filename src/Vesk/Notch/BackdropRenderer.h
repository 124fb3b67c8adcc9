#pragma once

#include <QHash>
#include <QImage>
#include <QSizeF>

#include <optional>

namespace vesk {

// The soft shadow behind the expanded notch: a copy of the notch outline filled with
// translucent black and blurred, and the process-wide cache of such images.
namespace BackdropRenderer {

// Points the shadow spreads beyond the outline on the left, right and below.
inline constexpr double feather = 26;
// The blur's standard deviation is this share of the feather (in pixels: x scale).
inline constexpr double blurShare = 0.42;
inline constexpr double fillOpacity = 0.55;

// Everything a rendered image depends on, but the top radius, which the notch fixes.
struct Key {
    double width = 0; // the backdrop window
    double height = 0;
    double shapeLeft = feather; // the outline, from the window's left edge
    double shapeWidth = 0;
    double shapeHeight = 0;
    double bottomRadius = 0;
    double scale = 1;
    friend bool operator==(const Key&, const Key&) = default;
};
size_t qHash(const Key& key, size_t seed = 0) noexcept;

// The image for a window `windowSize` points large, with the outline `shapeSize` large
// placed `shapeLeft` points from the left edge and touching the top, blurred as for a
// feather of `featherPoints`, at `scale` pixels a point. Its pixel size is the window's
// size times the scale, rounded; nothing when that is under one pixel. Safe on any thread.
std::optional<QImage> render(const QSizeF& windowSize, double shapeLeft, const QSizeF& shapeSize,
                             double topRadius, double bottomRadius, double featherPoints, double scale);

// Images rendered so far, shared by every backdrop. Emptied whole before an insertion
// finds 13 or more entries, so it never holds more than 13. Main thread only.
class Cache {
public:
    static constexpr int flushAt = 13;
    static Cache& shared();

    std::optional<QImage> image(const Key& key) const;
    bool contains(const Key& key) const { return m_images.contains(key); }
    // No image removes the key.
    void store(const Key& key, const std::optional<QImage>& image);
    int count() const { return int(m_images.size()); }
    void removeAll() { m_images.clear(); }

private:
    QHash<Key, QImage> m_images;
};

} // namespace BackdropRenderer

} // namespace vesk
