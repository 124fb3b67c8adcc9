#include "Vesk/Notch/NotchBackdropPanel.h"

#include "VeskPlatform/Screens/Panel/WorkspaceHints.h"
#include "VeskUI/Motion/MotionSpec.h"

#include <QFutureWatcher>
#include <QPainter>
#include <QScreen>
#include <QtConcurrent>

namespace vesk {

using namespace BackdropRenderer;

NotchBackdropPanel::NotchBackdropPanel()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus),
      m_alpha(QVariant(1.0)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    winId();
    applyWorkspaceHints(windowHandle());
    connect(&m_alpha, &MotionAnimator::valueChanged, this, qOverload<>(&QWidget::update));
}

NotchBackdropPanel::~NotchBackdropPanel() = default;

void NotchBackdropPanel::follow(const QRectF& shape, double topRadius, double bottomRadius, QScreen* screen) {
    if (!screen) return;
    const QRectF widened(shape.left() - feather, shape.top(), shape.width() + 2 * feather,
                         shape.height() + feather);
    const QRectF clipped = widened.intersected(QRectF(screen->geometry()));
    if (clipped.width() <= 1 || clipped.height() <= 1) return;
    setGeometry(clipped.toAlignedRect());
    if (clipped.size() == m_renderedSize && bottomRadius == m_renderedRadius) return;
    m_renderedSize = clipped.size();
    m_renderedRadius = bottomRadius;

    // A window clipped at the screen's left edge starts nearer the outline than the
    // feather: the outline is drawn where it is, so the shadow stays under the notch.
    const Key key{clipped.width(), clipped.height(), shape.left() - clipped.left(), shape.width(),
                  shape.height(),  bottomRadius,     screen->devicePixelRatio()};
    m_wanted = key;
    if (const auto cached = Cache::shared().image(key)) {
        setShownImage(*cached);
        return;
    }
    startRender(key, topRadius);
}

void NotchBackdropPanel::startRender(const Key& key, double topRadius) {
    if (m_rendering.contains(key)) return;
    m_rendering.insert(key);
    ++m_renderCount;
    auto* watcher = new QFutureWatcher<std::optional<QImage>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, key] {
        watcher->deleteLater();
        m_rendering.remove(key);
        const std::optional<QImage> image = watcher->result();
        Cache::shared().store(key, image);
        if (m_wanted == key) setShownImage(image.value_or(QImage()));
    });
    watcher->setFuture(QtConcurrent::run([key, topRadius] {
        return BackdropRenderer::render(QSizeF(key.width, key.height), key.shapeLeft,
                                        QSizeF(key.shapeWidth, key.shapeHeight), topRadius, key.bottomRadius,
                                        feather, key.scale);
    }));
}

bool NotchBackdropPanel::isRendering() const {
    return m_wanted && m_rendering.contains(*m_wanted);
}

void NotchBackdropPanel::setShownImage(const QImage& image) {
    m_image = image;
    update();
}

void NotchBackdropPanel::setAlpha(double alpha) {
    m_alpha.setValue(alpha);
}

void NotchBackdropPanel::fadeIn() {
    m_alpha.animateTo(1.0, MotionSpec::easeInOut(fadeDuration));
}

void NotchBackdropPanel::paintEvent(QPaintEvent*) {
    if (m_image.isNull()) return;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(std::clamp(alpha(), 0.0, 1.0));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(rect()), m_image);
}

} // namespace vesk
