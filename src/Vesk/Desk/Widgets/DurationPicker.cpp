#include "Vesk/Desk/Widgets/DurationPicker.h"

#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>

namespace vesk {

// One wheel: rows for 0..count-1 scrolled by an offset in rows (the value at the
// centre). A mouse wheel moves a row per notch; touchpad deltas move smoothly and snap
// to the nearest row when the gesture ends (or 150 ms after the last event without
// phases). Every change of the centred row while the user scrolls is reported.
class TimerWheel final : public QWidget {
public:
    static constexpr int snapDelayMs = 150;

    TimerWheel(int count, QString unit, double rowHeight, int visibleRows, std::function<void(int)> onChange,
               QWidget* parent)
        : QWidget(parent), m_count(count), m_unit(std::move(unit)), m_rowHeight(rowHeight),
          m_visibleRows(visibleRows), m_onChange(std::move(onChange)), m_offset(0.0) {
        m_snapTimer.setSingleShot(true);
        m_snapTimer.setInterval(snapDelayMs);
        QObject::connect(&m_snapTimer, &QTimer::timeout, this, [this] { snap(std::lround(offset())); });
        QObject::connect(&m_offset, &MotionAnimator::valueChanged, this, [this] { offsetMoved(); });
    }

    int position() const { return m_position; }

    // From outside: moves there without reporting it back.
    void setValue(int value) {
        value = std::clamp(value, 0, m_count - 1);
        if (value == m_position) return;
        m_userDriven = false;
        m_position = value;
        m_offset.animateTo(double(value), Vesk::Motion::respectingReduceMotion(Vesk::Motion::hover));
        update();
    }

protected:
    void wheelEvent(QWheelEvent* event) override {
        event->accept();
        m_userDriven = true;
        if (!event->pixelDelta().isNull()) {
            m_offset.setValue(
                std::clamp(offset() - event->pixelDelta().y() / m_rowHeight, 0.0, double(m_count - 1)));
            if (event->phase() == Qt::ScrollEnd || event->phase() == Qt::ScrollMomentum) {
                if (event->phase() == Qt::ScrollEnd) snap(std::lround(offset()));
            } else if (event->phase() == Qt::NoScrollPhase) {
                m_snapTimer.start();
            }
            return;
        }
        m_angle += event->angleDelta().y();
        const int steps = m_angle / 120;
        if (steps == 0) return;
        m_angle -= steps * 120;
        snap(std::lround(m_offset.target().isValid() ? m_offset.target().toDouble() : offset()) - steps);
    }

    void paintEvent(QPaintEvent*) override {
        const qreal ratio = devicePixelRatioF();
        QImage layer(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        layer.setDevicePixelRatio(ratio);
        layer.fill(Qt::transparent);
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        const QFont number = systemFont(17, QFont::Medium, FontDesign::default_, true);
        const QFont unit = systemFont(9, QFont::Medium);
        const QFontMetricsF numberMetrics(number);
        const QFontMetricsF unitMetrics(unit);
        const double centre = height() / 2.0;
        const double first = std::floor(offset() - m_visibleRows / 2.0 - 1);
        for (int n = std::max(0, int(first)); n < m_count && n <= offset() + m_visibleRows / 2.0 + 1; ++n) {
            const double rowTop = centre + (n - offset()) * m_rowHeight - m_rowHeight / 2;
            const bool selected = n == m_position;
            painter.setOpacity(selected ? 1.0 : 0.55);
            painter.setPen(selected ? Vesk::Stone::x100 : Vesk::Stone::x400);
            const QString digits = QString::number(n);
            const double numberWidth = numberMetrics.horizontalAdvance(digits);
            const double total = numberWidth + 1 + unitMetrics.horizontalAdvance(m_unit);
            const double left = (width() - total) / 2;
            const double baseline =
                rowTop + (m_rowHeight + numberMetrics.ascent() - numberMetrics.descent()) / 2;
            painter.setFont(number);
            painter.drawText(QPointF(left, baseline), digits);
            painter.setFont(unit);
            painter.drawText(QPointF(left + numberWidth + 1, baseline + 1), m_unit);
        }
        // Fade towards the top and bottom.
        QLinearGradient fade(0, 0, 0, height());
        fade.setColorAt(0, Qt::transparent);
        fade.setColorAt(0.3, Qt::black);
        fade.setColorAt(0.7, Qt::black);
        fade.setColorAt(1, Qt::transparent);
        painter.setOpacity(1);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(QRectF(rect()), fade);
        painter.end();
        QPainter(this).drawImage(QPointF(0, 0), layer);
    }

private:
    double offset() const { return m_offset.value().toDouble(); }

    void snap(long row) {
        m_snapTimer.stop();
        m_offset.animateTo(double(std::clamp<long>(row, 0, m_count - 1)),
                           Vesk::Motion::respectingReduceMotion(Vesk::Motion::hover));
        // The offset may already be there (a scroll back during an outside move).
        offsetMoved();
    }

    void offsetMoved() {
        update();
        const int nearest = std::clamp(int(std::lround(offset())), 0, m_count - 1);
        if (nearest == m_position || !m_userDriven) return;
        m_position = nearest;
        m_onChange(nearest);
    }

    int m_count;
    QString m_unit;
    double m_rowHeight;
    int m_visibleRows;
    std::function<void(int)> m_onChange;
    MotionAnimator m_offset;
    QTimer m_snapTimer;
    int m_position = 0;
    int m_angle = 0;
    bool m_userDriven = false;
};

namespace {

constexpr int wheelCount = 3;
constexpr std::array<int, wheelCount> ranges{24, 60, 60};
constexpr double lastSecond = 24 * 3600 - 1;

// Whole seconds of a duration as the wheels can show it.
qint64 shownSeconds(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) return 0;
    return qint64(std::min(std::trunc(seconds), lastSecond));
}

} // namespace

DurationPicker::DurationPicker(double rowHeight, int visibleRows, QWidget* parent)
    : QWidget(parent), m_rowHeight(rowHeight), m_visibleRows(visibleRows) {
    const std::array<QString, wheelCount> units{QStringLiteral("h"), QStringLiteral("m"),
                                                QStringLiteral("s")};
    for (int i = 0; i < wheelCount; ++i)
        m_wheels[i] = new TimerWheel(
            ranges[i], units[i], rowHeight, visibleRows, [this, i](int value) { wheelMoved(i, value); },
            this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(int(std::lround(rowHeight * visibleRows)));
}

QSize DurationPicker::sizeHint() const {
    return QSize(150, int(std::lround(m_rowHeight * m_visibleRows)));
}

std::array<int, 3> DurationPicker::positions() const {
    return {m_wheels[0]->position(), m_wheels[1]->position(), m_wheels[2]->position()};
}

QRect DurationPicker::wheelRect(int wheel) const {
    return m_wheels.at(wheel)->geometry();
}

void DurationPicker::setDuration(double seconds) {
    m_duration = seconds;
    const qint64 t = shownSeconds(seconds);
    m_wheels[0]->setValue(int(t / 3600));
    m_wheels[1]->setValue(int(t % 3600 / 60));
    m_wheels[2]->setValue(int(t % 60));
}

void DurationPicker::wheelMoved(int wheel, int value) {
    // The other wheels' values are read from the duration now, so nothing loops.
    const qint64 t = shownSeconds(m_duration);
    std::array<qint64, 3> parts{t / 3600, t % 3600 / 60, t % 60};
    parts[wheel] = value;
    m_duration = double(parts[0] * 3600 + parts[1] * 60 + parts[2]);
    Q_EMIT durationChanged(m_duration);
}

void DurationPicker::resizeEvent(QResizeEvent*) {
    const int third = width() / wheelCount;
    for (int i = 0; i < wheelCount; ++i)
        m_wheels[i]->setGeometry(i * third, 0, i == wheelCount - 1 ? width() - 2 * third : third, height());
}

void DurationPicker::wheelEvent(QWheelEvent* event) {
    event->accept();
}

void DurationPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF band(0.5, (height() - m_rowHeight) / 2 + 0.5, width() - 1, m_rowHeight - 1);
    QPainterPath shape;
    shape.addRoundedRect(band, 7, 7);
    painter.fillPath(shape, Vesk::Ink::x800);
    QColor stroke = Vesk::Accent::x500;
    stroke.setAlphaF(0.18);
    painter.strokePath(shape, QPen(stroke, 1));
}

} // namespace vesk
