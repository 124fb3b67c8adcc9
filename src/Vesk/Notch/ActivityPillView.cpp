#include "Vesk/Notch/ActivityPillView.h"

#include "Vesk/Notch/ArtworkView.h"
#include "Vesk/Notch/WaveformView.h"
#include "VeskUI/Notch/Percent.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

// The pill's waveform: bar width, spacing, tallest and shortest bar.
constexpr double waveBar = 2.5, waveSpacing = 2.5, waveMax = 14, waveMin = 3;

QString trailingText(const ActivityTrailing& trailing) {
    if (trailing.kind() == ActivityTrailing::Kind::percent) return percentText(trailing.value());
    if (trailing.kind() == ActivityTrailing::Kind::text) return trailing.text();
    return {};
}

} // namespace

ActivityPillView::ActivityPillView(const ActivityPayload& payload, bool expanded, double cutoutWidth,
                                   QWidget* parent)
    : QWidget(parent), m_payload(payload), m_expanded(expanded), m_cutoutWidth(cutoutWidth) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    makeChildren();
}

void ActivityPillView::makeChildren() {
    const bool wantsArtwork = m_payload.leading.kind() == ActivityGlyph::Kind::artwork;
    const double side = m_expanded ? expandedArtworkSide : compactArtworkSide;
    if (wantsArtwork && !m_artwork) {
        m_artwork = new ArtworkView(m_payload.leading.artworkBytes(), side, this);
        m_artwork->show();
    } else if (wantsArtwork) {
        m_artwork->setArtwork(m_payload.leading.artworkBytes(), side);
    } else {
        delete m_artwork;
        m_artwork = nullptr;
    }

    const bool wantsWaveform = m_payload.trailing.kind() == ActivityTrailing::Kind::waveform;
    if (wantsWaveform && !m_waveform) {
        m_waveform =
            new WaveformView(m_payload.trailing.isPlaying(), waveBar, waveSpacing, waveMax, waveMin, this);
        m_waveform->show();
    } else if (wantsWaveform) {
        m_waveform->setPlaying(m_payload.trailing.isPlaying());
    } else {
        delete m_waveform;
        m_waveform = nullptr;
    }
    placeChildren();
}

void ActivityPillView::setPayload(const ActivityPayload& payload) {
    if (payload == m_payload) return;
    m_payload = payload;
    makeChildren();
    update();
}

void ActivityPillView::setCutoutWidth(double width) {
    if (width == m_cutoutWidth) return;
    m_cutoutWidth = width;
    placeChildren();
    update();
}

double ActivityPillView::sideWidth() const {
    return std::max(0.0, (width() - m_cutoutWidth) / 2);
}

QSizeF ActivityPillView::leadingSize() const {
    switch (m_payload.leading.kind()) {
    case ActivityGlyph::Kind::symbol:
    case ActivityGlyph::Kind::symbolTinted: {
        const double side = Symbols::sideForFontSize(symbolFontSize);
        return {side, side};
    }
    case ActivityGlyph::Kind::artwork: {
        const double side = m_expanded ? expandedArtworkSide : compactArtworkSide;
        return {side, side};
    }
    case ActivityGlyph::Kind::progressRing:
        return {ringSide, ringSide};
    case ActivityGlyph::Kind::none:
        break;
    }
    return {};
}

QSizeF ActivityPillView::trailingSize() const {
    switch (m_payload.trailing.kind()) {
    case ActivityTrailing::Kind::bar:
        return {barWidth, barHeight};
    case ActivityTrailing::Kind::waveform:
        return m_waveform->sizeHint();
    case ActivityTrailing::Kind::percent:
    case ActivityTrailing::Kind::text: {
        const QFontMetricsF metrics(Vesk::Type_::numeric());
        return {std::ceil(metrics.horizontalAdvance(trailingText(m_payload.trailing))), metrics.height()};
    }
    case ActivityTrailing::Kind::none:
        break;
    }
    return {};
}

QRectF ActivityPillView::leadingRect() const {
    const QSizeF size = leadingSize();
    if (size.isEmpty()) return {};
    return QRectF(0, (height() - size.height()) / 2, size.width(), size.height());
}

bool ActivityPillView::showsTitle() const {
    return showsTextBlock() && m_payload.title.has_value();
}

bool ActivityPillView::showsSubtitle() const {
    return showsTextBlock() && m_expanded && m_payload.subtitle.has_value();
}

QRectF ActivityPillView::titleRect() const {
    if (!showsTitle()) return {};
    const QRectF lead = leadingRect();
    const double left = lead.isEmpty() ? 0 : lead.right() + leadingSpacing;
    const double titleHeight = QFontMetricsF(Vesk::Type_::activityTitle()).height();
    const double subtitleHeight =
        showsSubtitle() ? textSpacing + QFontMetricsF(Vesk::Type_::activitySubtitle()).height() : 0;
    const double top = (height() - titleHeight - subtitleHeight) / 2;
    return QRectF(left, top, std::max(0.0, sideWidth() - left), titleHeight);
}

QRectF ActivityPillView::subtitleRect() const {
    if (!showsSubtitle()) return {};
    const QRectF lead = leadingRect();
    const double left = lead.isEmpty() ? 0 : lead.right() + leadingSpacing;
    const double subtitleHeight = QFontMetricsF(Vesk::Type_::activitySubtitle()).height();
    const double titleHeight =
        showsTitle() ? QFontMetricsF(Vesk::Type_::activityTitle()).height() + textSpacing : 0;
    const double top = (height() - titleHeight - subtitleHeight) / 2 + titleHeight;
    return QRectF(left, top, std::max(0.0, sideWidth() - left), subtitleHeight);
}

QRectF ActivityPillView::trailingRect() const {
    QSizeF size = trailingSize();
    if (size.isEmpty()) return {};
    // A text longer than its side is cut at the tail rather than run into the cutout.
    const auto kind = m_payload.trailing.kind();
    if (kind == ActivityTrailing::Kind::text || kind == ActivityTrailing::Kind::percent)
        size.setWidth(std::min(size.width(), sideWidth()));
    return QRectF(width() - size.width(), (height() - size.height()) / 2, size.width(), size.height());
}

QString ActivityPillView::shownTitle() const {
    if (!showsTitle()) return {};
    return QFontMetricsF(Vesk::Type_::activityTitle())
        .elidedText(*m_payload.title, Qt::ElideRight, titleRect().width());
}

QString ActivityPillView::shownSubtitle() const {
    if (!showsSubtitle()) return {};
    return QFontMetricsF(Vesk::Type_::activitySubtitle())
        .elidedText(*m_payload.subtitle, Qt::ElideRight, subtitleRect().width());
}

void ActivityPillView::placeChildren() {
    if (m_artwork) m_artwork->setGeometry(leadingRect().toAlignedRect());
    if (m_waveform) m_waveform->setGeometry(trailingRect().toAlignedRect());
}

void ActivityPillView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeChildren();
}

void ActivityPillView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Each frame of the waveform asks for its own rectangle only: the glyph and the texts
    // beside it, which stand still, are not laid out and drawn again. A ring's pen reaches
    // past its rectangle.
    const QRegion& dirty = event->region();
    const auto asked = [&dirty](const QRectF& rect) {
        return dirty.intersects(
            rect.adjusted(-ringLineWidth, -ringLineWidth, ringLineWidth, ringLineWidth).toAlignedRect());
    };

    const ActivityGlyph& glyph = m_payload.leading;
    const QRectF lead = leadingRect();
    switch (asked(lead) ? glyph.kind() : ActivityGlyph::Kind::none) {
    case ActivityGlyph::Kind::symbol:
        Symbols::paint(painter, lead, glyph.symbolName(), Vesk::Stone::x100);
        break;
    case ActivityGlyph::Kind::symbolTinted:
        Symbols::paint(painter, lead, glyph.symbolName(),
                       Vesk::tintColor(glyph.tint().value_or(TintName::stone)));
        break;
    case ActivityGlyph::Kind::progressRing: {
        const double value = std::clamp(std::isfinite(glyph.progress()) ? glyph.progress() : 0.0, 0.0, 1.0);
        if (value > 0) {
            QPen pen(Vesk::Accent::x500, ringLineWidth);
            pen.setCapStyle(Qt::RoundCap);
            painter.setPen(pen);
            // From the top, clockwise (Qt's angles run counter-clockwise, in 1/16 degree).
            painter.drawArc(lead, 90 * 16, -int(std::lround(value * 360 * 16)));
        }
        break;
    }
    case ActivityGlyph::Kind::artwork: // a child view
    case ActivityGlyph::Kind::none:
        break;
    }

    if (showsTitle() && asked(titleRect())) {
        painter.setFont(Vesk::Type_::activityTitle());
        painter.setPen(Vesk::Stone::x100);
        painter.drawText(titleRect(), Qt::AlignLeft | Qt::AlignVCenter, shownTitle());
    }
    if (showsSubtitle() && asked(subtitleRect())) {
        painter.setFont(Vesk::Type_::activitySubtitle());
        painter.setPen(Vesk::Stone::x300);
        painter.drawText(subtitleRect(), Qt::AlignLeft | Qt::AlignVCenter, shownSubtitle());
    }

    const ActivityTrailing& trailing = m_payload.trailing;
    const QRectF trail = trailingRect();
    switch (asked(trail) ? trailing.kind() : ActivityTrailing::Kind::none) {
    case ActivityTrailing::Kind::bar: {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Vesk::Ink::x700);
        painter.drawRoundedRect(trail, barHeight / 2, barHeight / 2);
        const double level = std::clamp(std::isfinite(trailing.value()) ? trailing.value() : 0.0, 0.0, 1.0);
        if (level > 0) {
            painter.setBrush(Vesk::Stone::x100);
            const QRectF fill(trail.left(), trail.top(), barWidth * level, barHeight);
            const double radius = std::min(fill.width(), fill.height()) / 2;
            painter.drawRoundedRect(fill, radius, radius);
        }
        break;
    }
    case ActivityTrailing::Kind::percent:
    case ActivityTrailing::Kind::text:
        painter.setFont(Vesk::Type_::numeric());
        painter.setPen(Vesk::Stone::x200);
        painter.drawText(trail, Qt::AlignRight | Qt::AlignVCenter,
                         QFontMetricsF(Vesk::Type_::numeric())
                             .elidedText(trailingText(trailing), Qt::ElideRight, trail.width()));
        break;
    case ActivityTrailing::Kind::waveform: // a child view
    case ActivityTrailing::Kind::none:
        break;
    }
}

} // namespace vesk
