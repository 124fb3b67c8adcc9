#pragma once

#include "Vesk/Notch/ArtworkLoader.h"
#include "VeskKit/Activity/ActivityPayload.h"
#include "VeskUI/Motion/MotionAnimator.h"

#include <QWidget>

namespace vesk {

class WaveformView;

// The quiet form of what is playing: a small cover tile left of the camera cutout and a
// moving waveform right of it; while the notch is hovered, a second line with the title
// and the artist fades in below. The cover is decoded once per payload, off the main
// thread, never on a repaint.
class AmbientMediaView : public QWidget {
    Q_OBJECT

public:
    static constexpr double slotWidth = 46;
    static constexpr double rowHeight = 26;
    static constexpr double tileSide = 26;
    static constexpr double tileRadius = 7;
    static constexpr double noteFontSize = 11;
    static constexpr double rowSpacing = 4;
    static constexpr double labelSpacing = 12;
    static constexpr double labelFontSize = 12;
    static constexpr double iconSpacing = 4;

    AmbientMediaView(const ActivityPayload& payload, bool expanded, double cutoutWidth,
                     QWidget* parent = nullptr);

    const ActivityPayload& payload() const { return m_payload; }
    void setPayload(const ActivityPayload& payload);
    bool isExpanded() const { return m_expanded; }
    // Fades the title line in or out along `motion`.
    void setExpanded(bool expanded, const MotionSpec& motion);
    double cutoutWidth() const { return m_cutoutWidth; }
    void setCutoutWidth(double width);

    // The view's own width: the cutout and a slot on each side.
    double naturalWidth() const { return m_cutoutWidth + 2 * slotWidth; }

    QRectF tileRect() const;
    QRectF waveformRect() const;
    // The title line; empty while it is hidden.
    QRectF labelsRect() const;
    // How visible the title line is, 0 to 1.
    double labelsOpacity() const;

    WaveformView* waveform() const { return m_waveform; }
    const ArtworkLoader& loader() const { return m_loader; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void loadArtwork();
    double columnTop() const;
    double labelsHeight() const;

    ActivityPayload m_payload;
    bool m_expanded;
    double m_cutoutWidth;
    WaveformView* m_waveform;
    ArtworkLoader m_loader;
    MotionAnimator m_labels;
};

} // namespace vesk
