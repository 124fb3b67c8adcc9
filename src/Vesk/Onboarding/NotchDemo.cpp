#include "Vesk/Onboarding/NotchDemo.h"

#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Motion/ReduceMotion.h"
#include "VeskUI/Notch/NotchShape.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace notchDemo {

QList<Beat> beats(DemoScript script) {
    switch (script) {
    case DemoScript::overview:
        return {{0, 1.1}, {1, 1.8}, {2, 2.4}};
    case DemoScript::gestures:
        return {{0, 0.6}, {1, 1.2}, {2, 1.2}, {3, 1.2}, {4, 1.2}};
    case DemoScript::desk:
        return {{0, 1.2}, {1, 2.6}};
    case DemoScript::media:
        return {};
    }
    return {};
}

bool isOpen(DemoScript script, int beat) {
    return (script == DemoScript::overview && beat == 2) || (script == DemoScript::desk && beat % 2 != 0);
}

QSizeF size(DemoScript script, int beat, QSizeF notch) {
    const double w = notch.width(), h = notch.height();
    switch (script) {
    case DemoScript::overview:
        if (beat == 1) return {w + 96, h};
        if (beat == 2) return {250, 96};
        return notch;
    case DemoScript::gestures:
        return beat == 0 ? notch : QSizeF(w + 84, h);
    case DemoScript::media:
        return {w + 116, h + 3};
    case DemoScript::desk:
        return beat % 2 != 0 ? QSizeF(250, 96) : notch;
    }
    return notch;
}

Cue cue(int beat) {
    switch (std::clamp(beat, 0, 4)) {
    case 1:
        return {QStringLiteral("arrow.left.arrow.right"), QStringLiteral("Skip")};
    case 2:
        return {QStringLiteral("arrow.up.arrow.down"), QStringLiteral("Open")};
    case 3:
        return {QStringLiteral("cursorarrow.click"), QStringLiteral("Desk")};
    case 4:
        return {QStringLiteral("arrow.down.doc.fill"), QStringLiteral("Drop")};
    default:
        return {};
    }
}

double barHeight(double phase, int index) {
    return std::fabs(std::sin(phase + 0.8 * index)) * 5 + 3;
}

Drawer drawer(const QRectF& notch) {
    constexpr double rowHeight = 40; // the divider, the tallest part
    constexpr double textHeight = 3.5 + 3 + 3 + 3 + 1 + 4;
    const double top = notch.top() + 24;
    const double middle = top + rowHeight / 2;
    Drawer d;
    d.artwork = QRectF(notch.left() + 14, middle - 15, 30, 30);
    const double textX = d.artwork.right() + 8;
    const double textTop = middle - textHeight / 2;
    d.title = QRectF(textX, textTop, 62, 3.5);
    d.artist = QRectF(textX, d.title.bottom() + 3, 42, 3);
    d.firstDot = QRectF(textX, d.artist.bottom() + 3 + 1, 4, 4);
    const double rowsX = notch.right() - 14 - 46;
    d.firstRow = QRectF(rowsX, middle - 15, 46, 8);
    d.divider = QRectF(rowsX - 8 - 1, top, 1, rowHeight);
    return d;
}

} // namespace notchDemo

namespace {

constexpr MotionSpec beatMotion = MotionSpec::spring(0.42, 0.8);
constexpr double topPadding = 18;

QColor white(double opacity) {
    return QColor::fromRgbF(1, 1, 1, float(opacity));
}

QBrush artworkGradient(const QRectF& tile) {
    QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
    gradient.setColorAt(0, Color(0x8A7F70));
    gradient.setColorAt(1, Color(0x4A433C));
    return gradient;
}

void capsule(QPainter& painter, const QRectF& rect, const QBrush& fill) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    const double r = std::min(rect.width(), rect.height()) / 2;
    painter.drawRoundedRect(rect, r, r);
}

void symbol(QPainter& painter, const QString& name, const QPointF& centre, double size, const QColor& color) {
    const double side = Symbols::sideForFontSize(size);
    Symbols::paint(painter, QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side), name, color);
}

// The open desk in miniature: artwork, title lines, a divider and three rows.
void paintDrawer(QPainter& painter, const QRectF& notch) {
    const notchDemo::Drawer d = notchDemo::drawer(notch);
    painter.setPen(Qt::NoPen);
    painter.setBrush(artworkGradient(d.artwork));
    painter.drawRoundedRect(d.artwork, 4, 4);
    QColor title = Vesk::Stone::x200;
    title.setAlphaF(0.8f);
    capsule(painter, d.title, title);
    QColor artist = Vesk::Stone::x400;
    artist.setAlphaF(0.6f);
    capsule(painter, d.artist, artist);
    QColor dot = Vesk::Stone::x300;
    dot.setAlphaF(0.7f);
    for (int i = 0; i < 3; ++i)
        capsule(painter, d.firstDot.translated(i * 8, 0), dot);
    painter.fillRect(d.divider, Vesk::Ink::x700);
    painter.setBrush(Vesk::Ink::x800);
    for (int i = 0; i < 3; ++i)
        painter.drawRoundedRect(d.firstRow.translated(0, i * 11), 2, 2);
}

} // namespace

NotchDemo::NotchDemo(DemoScript script, QSizeF notch, QWidget* parent)
    : QWidget(parent), m_script(script), m_notch(notch),
      m_size(new MotionAnimator(QVariant(notchDemo::size(script, 0, notch)), this)),
      m_cueOpacity(new MotionAnimator(QVariant(0.0), this)) {
    setFixedHeight(int(notchDemo::cardHeight));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_size, &MotionAnimator::valueChanged, this, qOverload<>(&QWidget::update));
    connect(m_cueOpacity, &MotionAnimator::valueChanged, this, qOverload<>(&QWidget::update));
}

NotchDemo::~NotchDemo() {
    m_task.cancel();
}

QSizeF NotchDemo::drawnSize() const {
    return m_size->valueAs<QSizeF>();
}

double NotchDemo::cueOpacity() const {
    return m_cueOpacity->valueAs<double>();
}

QRectF NotchDemo::notchRect() const {
    const QSizeF size = drawnSize();
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    return {card.center().x() - size.width() / 2, topPadding, size.width(), size.height()};
}

void NotchDemo::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    start();
}

void NotchDemo::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    stop();
}

void NotchDemo::start() {
    stop();
    m_phase = 0;
    m_size->setValue(QVariant(notchDemo::size(m_script, 0, m_notch)));
    m_cueOpacity->setValue(0.0);
    m_cueBeat = 0;
    if (m_script == DemoScript::media) {
        m_beat = 0;
        const QPointer<NotchDemo> self(this);
        m_task = onMainAfter(notchDemo::mediaInterval, [self] {
            if (self) self->tickMedia();
        });
        update();
        return;
    }
    enterBeat(0);
}

void NotchDemo::stop() {
    m_task.cancel();
    m_task = TaskHandle();
    m_size->stop();
    m_cueOpacity->stop();
}

void NotchDemo::showBeat(int beat) {
    stop();
    m_beat = std::max(beat, 0);
    m_cueBeat = m_beat;
    m_size->setValue(QVariant(notchDemo::size(m_script, m_beat, m_notch)));
    m_cueOpacity->setValue(m_beat > 0 ? 1.0 : 0.0);
    update();
}

void NotchDemo::enterBeat(int index) {
    const QList<notchDemo::Beat> beats = notchDemo::beats(m_script);
    const notchDemo::Beat beat = beats.at(index % beats.size());
    const bool cueChanged = m_script == DemoScript::gestures && beat.beat != m_beat;
    m_beat = beat.beat;
    const QVariant target(notchDemo::size(m_script, m_beat, m_notch));
    const bool reduce = ReduceMotion::shared().isOn();
    if (reduce)
        m_size->setValue(target);
    else
        m_size->animateTo(target, beatMotion);
    if (cueChanged) {
        // The new cue fades in; at beat 0 the old one stays drawn while it fades out.
        if (m_beat > 0) {
            m_cueBeat = m_beat;
            m_cueOpacity->setValue(0.0);
        }
        const QVariant shown(m_beat > 0 ? 1.0 : 0.0);
        if (reduce)
            m_cueOpacity->setValue(shown);
        else
            m_cueOpacity->animateTo(shown, beatMotion);
    }
    update();
    const QPointer<NotchDemo> self(this);
    const int next = (index + 1) % int(beats.size());
    m_task = onMainAfter(beat.hold, [self, next] {
        if (self) self->enterBeat(next);
    });
}

void NotchDemo::tickMedia() {
    m_phase += notchDemo::phaseStep;
    update();
    const QPointer<NotchDemo> self(this);
    m_task = onMainAfter(notchDemo::mediaInterval, [self] {
        if (self) self->tickMedia();
    });
}

void NotchDemo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(card, 14, 14);
    painter.setClipPath(outline);

    QLinearGradient ground(card.topLeft(), card.bottomLeft());
    ground.setColorAt(0, Color(0x1A1A1D));
    ground.setColorAt(1, Color(0x0E0E10));
    painter.fillRect(card, ground);
    const struct {
        double widthShare, height, dx, dy;
    } panels[] = {{0.52, 46, -70, 92}, {0.34, 34, 92, 118}, {0.42, 26, -30, 152}};
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.025));
    for (const auto& p : panels) {
        const QSizeF size(card.width() * p.widthShare, p.height);
        const QPointF centre = card.center() + QPointF(p.dx, p.dy);
        painter.drawRoundedRect(QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size), 6, 6);
    }

    const QRectF notch = notchRect();
    const NotchShape shape{3, notchDemo::isOpen(m_script, m_beat) ? 12.0 : 7.0};
    const QPainterPath body = shape.path(notch.adjusted(-shape.topRadius, 0, shape.topRadius, 0));
    painter.setBrush(Qt::black);
    painter.setPen(QPen(white(0.07), 1));
    painter.drawPath(body);
    painter.setClipPath(body, Qt::IntersectClip);
    paintContent(painter, notch);

    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Vesk::Ink::x700, 1));
    painter.drawRoundedRect(card, 14, 14);
}

void NotchDemo::paintContent(QPainter& painter, const QRectF& notch) const {
    const double midY = notch.center().y();
    if (notchDemo::isOpen(m_script, m_beat)) {
        paintDrawer(painter, notch);
        return;
    }
    switch (m_script) {
    case DemoScript::overview:
        if (m_beat != 1) return;
        symbol(painter, QStringLiteral("speaker.wave.2.fill"), QPointF(notch.left() + 9 + 4, midY), 7,
               Vesk::Stone::x100);
        capsule(painter, QRectF(notch.right() - 9 - 40, midY - 1.25, 40, 2.5), white(0.16));
        capsule(painter, QRectF(notch.right() - 9 - 40, midY - 1.25, 40 * 0.62, 2.5), Vesk::Accent::x500);
        return;
    case DemoScript::gestures: {
        const double opacity = cueOpacity();
        if (m_cueBeat == 0 || opacity <= 0) return;
        const notchDemo::Cue cue = notchDemo::cue(m_cueBeat);
        painter.save();
        painter.setOpacity(std::min(opacity, 1.0));
        symbol(painter, cue.symbol, QPointF(notch.left() + 9 + 5, midY), 8, Vesk::Accent::x500);
        painter.setFont(systemFont(7, QFont::DemiBold));
        painter.setPen(Vesk::Stone::x200);
        painter.drawText(QRectF(notch.left() + 9, notch.top(), notch.width() - 18, notch.height()),
                         Qt::AlignRight | Qt::AlignVCenter, cue.label);
        painter.restore();
        return;
    }
    case DemoScript::media: {
        const QRectF art(notch.left() + 9, midY - 5.5, 11, 11);
        painter.setPen(Qt::NoPen);
        painter.setBrush(artworkGradient(art));
        painter.drawRoundedRect(art, 2.5, 2.5);
        const double barsWidth = 5 * 1.6 + 4 * 1.5;
        for (int i = 0; i < 5; ++i) {
            const double h = notchDemo::barHeight(m_phase, i);
            capsule(painter, QRectF(notch.right() - 9 - barsWidth + i * 3.1, midY - h / 2, 1.6, h),
                    Vesk::Accent::x500);
        }
        return;
    }
    case DemoScript::desk:
        return;
    }
}

} // namespace vesk
