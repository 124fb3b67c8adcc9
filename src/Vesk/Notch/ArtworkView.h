#pragma once

#include "Vesk/Notch/ArtworkLoader.h"

#include <QByteArray>
#include <QWidget>

#include <optional>

namespace vesk {

// Album artwork as a small rounded square: the decoded cover filling it, or a music
// note on a dark square while there is none. Decoding happens off the main thread
// through the shared cache, once the view is on screen and again only when the bytes
// or the size change.
class ArtworkView : public QWidget {
    Q_OBJECT

public:
    explicit ArtworkView(QWidget* parent = nullptr);
    ArtworkView(std::optional<QByteArray> data, double size, QWidget* parent = nullptr);

    void setArtwork(std::optional<QByteArray> data, double size);
    const std::optional<QByteArray>& data() const { return m_data; }
    double edge() const { return m_size; }

    const ArtworkLoader& loader() const { return m_loader; }

    // The corner radius and the hairline drawn around the square.
    static double cornerRadius(double size) { return size * 0.22; }
    static constexpr double outlineWidth = 0.5;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void load();

    std::optional<QByteArray> m_data;
    double m_size = 0;
    ArtworkLoader m_loader;
};

// The placeholder and the image of an artwork square, shared with the ambient tile.
void paintArtworkSquare(QPainter& painter, const QRectF& square, const std::optional<QImage>& image,
                        double cornerRadius, double noteFontSize);

} // namespace vesk
