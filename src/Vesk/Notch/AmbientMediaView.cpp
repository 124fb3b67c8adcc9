#include "Vesk/Notch/AmbientMediaView.h"

#include "Vesk/Notch/ArtworkView.h"
#include "Vesk/Notch/WaveformView.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

const QFont& labelFont() {
    static const QFont font = systemFont(AmbientMediaView::labelFontSize, QFont::Medium);
    return font;
}

double iconSide() {
    return Symbols::sideForFontSize(AmbientMediaView::labelFontSize);
}

struct Label {
    QString icon;
    QString text;
};

QList<Label> labelsOf(const ActivityPayload& payload) {
    QList<Label> labels;
    if (payload.title) labels.append({QStringLiteral("music.note"), *payload.title});
    if (payload.subtitle) labels.append({QStringLiteral("music.mic"), *payload.subtitle});
    return labels;
}

} // namespace

AmbientMediaView::AmbientMediaView(const ActivityPayload& payload, bool expanded, double cutoutWidth,
                                   QWidget* parent)
    : QWidget(parent), m_payload(payload), m_expanded(expanded), m_cutoutWidth(cutoutWidth),
      // Always moving: the ambient form shows only while something plays.
      m_waveform(new WaveformView(true, 2.5, 2.5, 14, 3, this)), m_labels(QVariant(expanded ? 1.0 : 0.0)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&m_loader, &ArtworkLoader::imageChanged, this, [this] { update(tileRect().toAlignedRect()); });
    // A cover that does not decode shows the placeholder, not the previous track's.
    connect(&m_loader, &ArtworkLoader::decodeFailed, this, [this] { m_loader.clear(); });
    connect(&m_labels, &MotionAnimator::valueChanged, this, qOverload<>(&QWidget::update));
    loadArtwork();
}

void AmbientMediaView::setPayload(const ActivityPayload& payload) {
    if (payload == m_payload) return;
    m_payload = payload;
    loadArtwork();
    update();
}

void AmbientMediaView::loadArtwork() {
    const ActivityGlyph& glyph = m_payload.leading;
    if (glyph.kind() != ActivityGlyph::Kind::artwork) {
        m_loader.clear();
        return;
    }
    m_loader.load(glyph.artworkBytes(), tileSide);
}

void AmbientMediaView::setExpanded(bool expanded, const MotionSpec& motion) {
    if (expanded == m_expanded) return;
    m_expanded = expanded;
    m_labels.animateTo(expanded ? 1.0 : 0.0, motion);
    resizeEvent(nullptr);
    update();
}

void AmbientMediaView::setCutoutWidth(double width) {
    if (width == m_cutoutWidth) return;
    m_cutoutWidth = width;
    resizeEvent(nullptr);
    update();
}

double AmbientMediaView::labelsHeight() const {
    return std::max(QFontMetricsF(labelFont()).height(), iconSide());
}

double AmbientMediaView::columnTop() const {
    const double column = rowHeight + (m_expanded ? rowSpacing + labelsHeight() : 0);
    return (height() - column) / 2;
}

QRectF AmbientMediaView::tileRect() const {
    const double left = (width() - naturalWidth()) / 2;
    return QRectF(left + slotWidth - tileSide, columnTop() + (rowHeight - tileSide) / 2, tileSide, tileSide);
}

QRectF AmbientMediaView::waveformRect() const {
    const QSize wave = m_waveform->sizeHint();
    const double left = (width() - naturalWidth()) / 2 + slotWidth + m_cutoutWidth;
    return QRectF(left, columnTop() + (rowHeight - wave.height()) / 2, wave.width(), wave.height());
}

QRectF AmbientMediaView::labelsRect() const {
    if (!m_expanded && labelsOpacity() <= 0) return {};
    return QRectF(0, columnTop() + rowHeight + rowSpacing, width(), labelsHeight());
}

double AmbientMediaView::labelsOpacity() const {
    return std::clamp(m_labels.valueAs<double>(), 0.0, 1.0);
}

void AmbientMediaView::resizeEvent(QResizeEvent* event) {
    if (event) QWidget::resizeEvent(event);
    m_waveform->setGeometry(waveformRect().toAlignedRect());
}

void AmbientMediaView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Each frame of the waveform asks for its own rectangle only: the cover and the title
    // line, which stand still, are not laid out and drawn again.
    const QRegion& dirty = event->region();
    if (dirty.intersects(tileRect().toAlignedRect()))
        paintArtworkSquare(painter, tileRect(), m_loader.image(), tileRadius, noteFontSize);

    const QRectF line = labelsRect();
    const QList<Label> labels = labelsOf(m_payload);
    if (line.isEmpty() || labels.isEmpty() || !dirty.intersects(line.toAlignedRect())) return;
    painter.setOpacity(labelsOpacity());
    painter.setFont(labelFont());
    const QFontMetricsF metrics(labelFont());

    // Each label is its icon and its text; two labels share what the line leaves, the
    // shorter keeping its whole text when it can.
    const double chrome = iconSide() + iconSpacing;
    QList<double> widths;
    for (const Label& label : labels)
        widths.append(chrome + std::ceil(metrics.horizontalAdvance(label.text)));
    const double available = line.width() - labelSpacing * double(labels.size() - 1);
    if (labels.size() == 2 && widths[0] + widths[1] > available) {
        const double half = available / 2;
        if (widths[0] <= half)
            widths[1] = available - widths[0];
        else if (widths[1] <= half)
            widths[0] = available - widths[1];
        else
            widths[0] = widths[1] = half;
    } else if (labels.size() == 1) {
        widths[0] = std::min(widths[0], available);
    }
    double total = labelSpacing * double(labels.size() - 1);
    for (double w : widths)
        total += w;

    double x = line.left() + (line.width() - total) / 2;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const double side = iconSide();
        Symbols::paint(painter, QRectF(x, line.center().y() - side / 2, side, side), labels[i].icon,
                       Vesk::Stone::x200);
        const QRectF textRect(x + chrome, line.top(), std::max(0.0, widths[i] - chrome), line.height());
        painter.setPen(Vesk::Stone::x200);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(labels[i].text, Qt::ElideRight, textRect.width()));
        x += widths[i] + labelSpacing;
    }
}

} // namespace vesk
