#pragma once

#include "Vesk/Notch/BackdropRenderer.h"
#include "VeskUI/Motion/MotionAnimator.h"

#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QSet>
#include <QWidget>

#include <optional>

class QScreen;

namespace vesk {

// A click-through window one step below its notch panel that shows the blurred shadow
// of the notch outline. It sizes itself around the outline it is told to follow and
// renders only when the size or the lower radius changed, taking images from the shared
// cache where it can; rendering runs on a worker so the notch never stutters for it.
class NotchBackdropPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr double fadeDuration = 0.22;

    NotchBackdropPanel();
    ~NotchBackdropPanel() override;

    // `shape` is the drawn outline in global coordinates; the window grows 26 points to
    // the left, right and below it, clipped to `screen`. A window of a point or less is
    // left as it was.
    void follow(const QRectF& shape, double topRadius, double bottomRadius, QScreen* screen);

    // The window size and lower radius of the image on show (or on its way).
    QSizeF renderedSize() const { return m_renderedSize; }
    double renderedRadius() const { return m_renderedRadius; }
    const QImage& image() const { return m_image; }
    // A render for the wanted image is still running.
    bool isRendering() const;
    // Renders this backdrop started, for checking that unchanged outlines cost nothing.
    int renderCount() const { return m_renderCount; }

    double alpha() const { return m_alpha.valueAs<double>(); }
    void setAlpha(double alpha);
    // From where the alpha is now to 1 over 0.22 s.
    void fadeIn();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void startRender(const BackdropRenderer::Key& key, double topRadius);
    void setShownImage(const QImage& image);

    QSizeF m_renderedSize;
    double m_renderedRadius = -1; // so the first follow always fetches or renders
    std::optional<BackdropRenderer::Key> m_wanted;
    QSet<BackdropRenderer::Key> m_rendering;
    QImage m_image;
    MotionAnimator m_alpha;
    int m_renderCount = 0;
};

} // namespace vesk
