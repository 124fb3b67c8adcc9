#pragma once

#include "VeskKit/Activity/ActivityPayload.h"
#include "VeskUI/Notch/ActivityMetrics.h"

#include <QRectF>
#include <QWidget>

namespace vesk {

class ArtworkView;
class WaveformView;

// One activity inside the notch: its glyph and texts left of the camera cutout, its
// trailing element (level bar, percentage, waveform or text) right of it, and nothing
// over the cutout. Both sides take half of what the cutout leaves, so the leading
// content starts at the left edge and the trailing content ends at the right edge.
class ActivityPillView : public QWidget {
    Q_OBJECT

public:
    static constexpr double leadingSpacing = ActivityMetrics::leadingSpacing;
    static constexpr double symbolFontSize = 14;
    static constexpr double compactArtworkSide = ActivityMetrics::compactArtworkSide;
    static constexpr double expandedArtworkSide = ActivityMetrics::expandedArtworkSide;
    static constexpr double ringSide = 16;
    static constexpr double ringLineWidth = 2.5;
    static constexpr double barWidth = 92;
    static constexpr double barHeight = 4;
    static constexpr double textSpacing = 1;

    ActivityPillView(const ActivityPayload& payload, bool expanded, double cutoutWidth,
                     QWidget* parent = nullptr);

    const ActivityPayload& payload() const { return m_payload; }
    // A new payload in the same pill (the next volume step, say) redraws it in place.
    void setPayload(const ActivityPayload& payload);
    bool isExpanded() const { return m_expanded; }
    double cutoutWidth() const { return m_cutoutWidth; }
    void setCutoutWidth(double width);

    // Where each part is drawn, in the view's coordinates; empty when absent.
    QRectF leadingRect() const;
    QRectF titleRect() const;
    QRectF subtitleRect() const;
    QRectF trailingRect() const;
    // The texts as drawn (elided to fit).
    QString shownTitle() const;
    QString shownSubtitle() const;

    // A compact pill with a subtitle shows no text at all.
    bool showsTextBlock() const { return m_expanded || !m_payload.subtitle; }

    WaveformView* waveform() const { return m_waveform; }
    ArtworkView* artwork() const { return m_artwork; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    double sideWidth() const;
    QSizeF leadingSize() const;
    QSizeF trailingSize() const;
    bool showsTitle() const;
    bool showsSubtitle() const;
    void placeChildren();
    void makeChildren();

    ActivityPayload m_payload;
    bool m_expanded;
    double m_cutoutWidth;
    ArtworkView* m_artwork = nullptr;
    WaveformView* m_waveform = nullptr;
};

} // namespace vesk
