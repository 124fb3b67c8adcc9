#include "Vesk/Controls/ValueSlider.h"

#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/TextView.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

constexpr double knobDiameter = 16;
constexpr double trackHeight = 4;
// Beyond this a double has no 64-bit integer to truncate to.
constexpr double integerLimit = 9.2e18;

// The value in a capsule; painted so it dims with its row.
class ValuePill final : public QWidget {
public:
    explicit ValuePill(const QString* text, QWidget* parent) : QWidget(parent), m_text(text) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        const QFontMetricsF metrics(Vesk::Type_::numeric());
        return {int(std::ceil(metrics.horizontalAdvance(*m_text) + 16)),
                int(std::ceil(metrics.height() + 6))};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        dimming::apply(painter, this);
        const QRectF capsule(rect());
        painter.setPen(Qt::NoPen);
        painter.setBrush(Vesk::Ink::x800);
        painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        painter.setFont(Vesk::Type_::numeric());
        painter.setPen(Vesk::Stone::x200);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, *m_text);
    }

private:
    const QString* m_text;
};

} // namespace

// ---- SliderTrack

SliderTrack::SliderTrack(double lowest, double highest, QWidget* parent)
    : QWidget(parent), m_lowest(lowest), m_highest(highest) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(20);
    setCursor(Qt::PointingHandCursor);
}

double SliderTrack::value() const {
    return m_lowest + (m_highest - m_lowest) * m_position / steps;
}

void SliderTrack::setValue(double value) {
    // A value outside the range (a hand-edited file) puts the knob at the nearest end.
    double fraction = m_highest > m_lowest ? (value - m_lowest) / (m_highest - m_lowest) : 0;
    if (!std::isfinite(fraction)) fraction = std::isnan(fraction) ? 0 : (fraction > 0 ? 1 : 0);
    const int position = int(std::lround(std::clamp(fraction, 0.0, 1.0) * steps));
    if (position == m_position) return;
    m_position = position;
    update();
}

double SliderTrack::trackLeft() const {
    return knobDiameter / 2;
}

double SliderTrack::trackWidth() const {
    return std::max(1.0, width() - knobDiameter);
}

QRectF SliderTrack::knobRect() const {
    const double x = trackLeft() + trackWidth() * m_position / steps;
    return {x - knobDiameter / 2, (height() - knobDiameter) / 2, knobDiameter, knobDiameter};
}

void SliderTrack::moveTo(int position) {
    position = std::clamp(position, 0, steps);
    if (position == m_position) return;
    m_position = position;
    update();
    Q_EMIT moved(value());
}

void SliderTrack::moveToX(double x) {
    moveTo(int(std::lround((x - trackLeft()) / trackWidth() * steps)));
}

void SliderTrack::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    moveToX(event->position().x());
}

void SliderTrack::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) moveToX(event->position().x());
}

void SliderTrack::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        moveTo(m_position - steps / 100);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        moveTo(m_position + steps / 100);
        break;
    case Qt::Key_PageDown:
        moveTo(m_position - steps / 10);
        break;
    case Qt::Key_PageUp:
        moveTo(m_position + steps / 10);
        break;
    case Qt::Key_Home:
        moveTo(0);
        break;
    case Qt::Key_End:
        moveTo(steps);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void SliderTrack::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    dimming::apply(painter, this);
    const QRectF knob = knobRect();
    const QRectF track(trackLeft(), (height() - trackHeight) / 2, trackWidth(), trackHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Vesk::Ink::x600);
    painter.drawRoundedRect(track, trackHeight / 2, trackHeight / 2);
    painter.setBrush(Vesk::Accent::x500);
    painter.drawRoundedRect(QRectF(track.left(), track.top(), knob.center().x() - track.left(), trackHeight),
                            trackHeight / 2, trackHeight / 2);
    painter.setBrush(QColor(0, 0, 0, 60));
    painter.drawEllipse(knob.translated(0, 0.75));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob.adjusted(0.5, 0.5, -0.5, -0.5));
}

// ---- ValueSlider

ValueSlider::ValueSlider(const QString& label, SettingsStore& settings, const SettingBinding& binding,
                         double lowest, double highest, const QString& suffix, QWidget* parent)
    : QWidget(parent), m_lowest(lowest), m_highest(highest), m_suffix(suffix),
      m_label(new TextView(label, Vesk::Type_::settingsRow(), Vesk::Stone::x100)),
      m_pill(new ValuePill(&m_pillText, this)), m_track(new SliderTrack(lowest, highest, this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 9, 12, 9);
    column->setSpacing(6);
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(m_label, 0, Qt::AlignVCenter);
    line->addStretch(1);
    line->addWidget(m_pill, 0, Qt::AlignVCenter);
    column->addLayout(line);
    column->addWidget(m_track);

    m_track->setObjectName(binding.key);
    followSetting(m_track, settings, binding, [this](const QVariant& value) { show(value.toDouble()); });
    const auto write = binding.write;
    connect(m_track, &SliderTrack::moved, this, [write](double value) { write(value); });
}

QString ValueSlider::pillText(double value, double lowest, double highest, const QString& suffix) {
    if (std::isnan(value)) value = lowest;
    if (value >= integerLimit) value = highest;
    if (value <= -integerLimit) value = lowest;
    return QString::asprintf("%lld", static_cast<long long>(std::trunc(value))) + suffix;
}

void ValueSlider::show(double value) {
    m_track->setValue(value);
    const QString text = pillText(value, m_lowest, m_highest, m_suffix);
    if (text == m_pillText) return;
    m_pillText = text;
    m_pill->updateGeometry();
    m_pill->update();
}

void ValueSlider::paintEvent(QPaintEvent*) {
    paintRowRule(this);
}

} // namespace vesk
