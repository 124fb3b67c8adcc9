#include "Vesk/Notch/WaveformView.h"

#include "VeskKit/Foundation/Clock.h"
#include "VeskUI/Motion/ReduceMotion.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

struct Bar {
    double phase; // radians
    double speed; // radians a second
    double stillLevel;
};

constexpr std::array<Bar, WaveformView::barCount> bars{{
    {0.0, 1.9, 0.35},
    {1.3, 2.7, 0.6},
    {2.6, 2.2, 0.8},
    {0.7, 3.1, 0.55},
    {1.9, 2.4, 0.3},
}};

// Decorative, like a picture with no meaning of its own: no name, no role, and hidden,
// so assistive tools pass it by.
class DecorativeAccessible final : public QAccessibleWidget {
public:
    explicit DecorativeAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::NoRole) {}
    QString text(QAccessible::Text) const override { return {}; }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

QAccessibleInterface* decorativeWaveform(const QString& className, QObject* object) {
    if (className == QLatin1String(WaveformView::staticMetaObject.className()) && object->isWidgetType())
        return new DecorativeAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

const ClockSource& systemClock() {
    static const SystemClock clock;
    return clock;
}

} // namespace

WaveformView::WaveformView(bool isPlaying, double barWidth, double spacing, double maxHeight,
                           double minHeight, QWidget* parent)
    : QWidget(parent), m_isPlaying(isPlaying), m_barWidth(barWidth), m_spacing(spacing),
      m_maxHeight(maxHeight), m_minHeight(minHeight), m_clock(&systemClock()) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    static const bool decorative = (QAccessible::installFactory(decorativeWaveform), true);
    Q_UNUSED(decorative);
    // Just under 30 frames a second, never above.
    m_frames.setInterval(1000 / frameRate + 1);
    m_frames.setTimerType(Qt::PreciseTimer);
    connect(&m_frames, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    setReduceMotion(&ReduceMotion::shared());
}

void WaveformView::setPlaying(bool playing) {
    if (playing == m_isPlaying) return;
    m_isPlaying = playing;
    updateTimer();
    update();
}

void WaveformView::setClock(const ClockSource* clock) {
    m_clock = clock ? clock : &systemClock();
    update();
}

void WaveformView::setReduceMotion(ReduceMotion* reduceMotion) {
    disconnect(m_reduceMotionChanged);
    m_reduceMotion = reduceMotion;
    if (reduceMotion)
        m_reduceMotionChanged = connect(reduceMotion, &ReduceMotion::changed, this, [this] {
            updateTimer();
            update();
        });
    updateTimer();
    update();
}

double WaveformView::animatedHeight(int bar, double seconds, double minHeight, double maxHeight) {
    const double a = bars[size_t(bar)].speed * seconds;
    const double phi = bars[size_t(bar)].phase;
    const double v = (std::sin(a + phi) + 0.35 * std::sin(2.7 * a + 1.7 * phi) + 1.35) / 2.7;
    return minHeight + (maxHeight - minHeight) * std::clamp(v, 0.0, 1.0);
}

double WaveformView::stillHeight(int bar, double minHeight, double maxHeight) {
    return minHeight + bars[size_t(bar)].stillLevel * (maxHeight - minHeight) * 0.5;
}

bool WaveformView::shouldMove() const {
    return m_isPlaying && !(m_reduceMotion && m_reduceMotion->isOn());
}

std::array<double, WaveformView::barCount> WaveformView::barHeights() const {
    std::array<double, barCount> heights{};
    const bool moving = shouldMove();
    const double seconds = m_clock->now().secondsSinceReferenceDate;
    for (int i = 0; i < barCount; ++i)
        heights[size_t(i)] = moving ? animatedHeight(i, seconds, m_minHeight, m_maxHeight)
                                    : stillHeight(i, m_minHeight, m_maxHeight);
    return heights;
}

void WaveformView::updateTimer() {
    // A timer only while it draws something new on screen.
    if (shouldMove() && isVisible()) {
        if (!m_frames.isActive()) m_frames.start();
    } else {
        m_frames.stop();
    }
}

QSize WaveformView::sizeHint() const {
    return QSize(int(std::ceil(barCount * m_barWidth + (barCount - 1) * m_spacing)),
                 int(std::ceil(m_maxHeight)));
}

void WaveformView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Vesk::Stone::x200);
    const double total = barCount * m_barWidth + (barCount - 1) * m_spacing;
    const double left = (width() - total) / 2;
    const double middle = height() / 2.0;
    const auto heights = barHeights();
    for (int i = 0; i < barCount; ++i) {
        const double h = heights[size_t(i)];
        const QRectF bar(left + i * (m_barWidth + m_spacing), middle - h / 2, m_barWidth, h);
        const double radius = std::min(bar.width(), bar.height()) / 2;
        painter.drawRoundedRect(bar, radius, radius);
    }
}

void WaveformView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateTimer();
}

void WaveformView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateTimer();
}

} // namespace vesk
