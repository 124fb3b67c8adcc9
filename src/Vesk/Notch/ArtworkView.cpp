#include "Vesk/Notch/ArtworkView.h"

#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace vesk {

void paintArtworkSquare(QPainter& painter, const QRectF& square, const std::optional<QImage>& image,
                        double cornerRadius, double noteFontSize) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath rounded;
    rounded.addRoundedRect(square, cornerRadius, cornerRadius);
    painter.setClipPath(rounded);
    if (image && !image->isNull()) {
        // Fill the square, cropping the longer side evenly.
        const QSizeF source = image->size();
        const double scale = std::max(square.width() / source.width(), square.height() / source.height());
        const QSizeF drawn = source * scale;
        painter.drawImage(QRectF(square.center().x() - drawn.width() / 2,
                                 square.center().y() - drawn.height() / 2, drawn.width(), drawn.height()),
                          *image);
    } else {
        painter.fillRect(square, Vesk::Ink::x800);
        const double side = Symbols::sideForFontSize(noteFontSize);
        Symbols::paint(painter,
                       QRectF(square.center().x() - side / 2, square.center().y() - side / 2, side, side),
                       u"music.note", Vesk::Stone::x400);
    }
    painter.restore();
}

ArtworkView::ArtworkView(QWidget* parent) : ArtworkView(std::nullopt, 0, parent) {}

ArtworkView::ArtworkView(std::optional<QByteArray> data, double size, QWidget* parent)
    : QWidget(parent), m_data(std::move(data)), m_size(size) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&m_loader, &ArtworkLoader::imageChanged, this, qOverload<>(&QWidget::update));
}

void ArtworkView::setArtwork(std::optional<QByteArray> data, double size) {
    if (data == m_data && size == m_size) return;
    m_data = std::move(data);
    m_size = size;
    updateGeometry();
    if (isVisible()) load();
    update();
}

void ArtworkView::load() {
    m_loader.load(m_data, m_size);
}

QSize ArtworkView::sizeHint() const {
    const int side = int(std::ceil(m_size));
    return QSize(side, side);
}

void ArtworkView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    load();
}

void ArtworkView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF square(width() / 2.0 - m_size / 2, height() / 2.0 - m_size / 2, m_size, m_size);
    paintArtworkSquare(painter, square, m_loader.image(), cornerRadius(m_size), m_size * 0.45);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Vesk::contrastOutline, outlineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(square, cornerRadius(m_size), cornerRadius(m_size));
}

} // namespace vesk
