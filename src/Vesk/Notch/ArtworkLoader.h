#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>

#include <optional>

namespace vesk {

// Turns artwork bytes into the image a view shows: from the shared cache when it holds
// the key, otherwise decoded on a worker thread at three times the edge length (enough
// for 2x and 3x screens) and then cached. Setting the same bytes and size again does
// nothing, so a view can hand over its payload on every change without decoding twice;
// a result that arrives after the key changed is cached but not shown. Main thread.
class ArtworkLoader : public QObject {
    Q_OBJECT

public:
    explicit ArtworkLoader(QObject* parent = nullptr);

    // No bytes clear the image at once. Bytes that do not decode leave the image as it
    // was; callers that must not keep an old picture clear it first with clear().
    void load(const std::optional<QByteArray>& data, double size);
    void clear();

    const std::optional<QImage>& image() const { return m_image; }
    bool isDecoding() const { return m_decoding; }

Q_SIGNALS:
    void imageChanged();
    // A decode for the current key finished without an image.
    void decodeFailed();

private:
    void setImage(std::optional<QImage> image);

    std::optional<size_t> m_key;
    std::optional<QImage> m_image;
    bool m_decoding = false;
};

} // namespace vesk
