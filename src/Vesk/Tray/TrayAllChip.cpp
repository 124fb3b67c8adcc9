#include "Vesk/Tray/TrayAllChip.h"

#include "Vesk/Tray/TrayChip.h"
#include "Vesk/Tray/TrayDragHandle.h"
#include "Vesk/Tray/TrayMoveWatch.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

const QFont& captionFont() {
    static const QFont font = systemFont(10, QFont::Medium);
    return font;
}

} // namespace

TrayAllChip::TrayAllChip(const QList<TrayItem>& items, bool copyByDefault,
                         std::function<void(const QList<TrayItem>&)> onRemove,
                         const TrayViewEnvironment& environment, QWidget* parent)
    : QWidget(parent), m_environment(environment), m_hover(QVariant(0.0)),
      m_handle(new TrayDragHandle(this)) {
    m_handle->copyByDefault = copyByDefault;
    m_handle->altHeld = environment.altHeld;
    m_handle->onClick = [this] { preview(); };
    // Only the items whose files the target took away leave the tray. On its own the chip
    // follows them itself; a tray widget replaces this with a watch that outlives the chip.
    m_handle->onMovedAway = [this, onRemove = std::move(onRemove)](const QList<TrayItem>& dragged) {
        new TrayMoveWatch(dragged, onRemove, this);
    };
    m_handle->setGeometry(pictureRect().toAlignedRect());
    connect(&m_hover, &MotionAnimator::valueChanged, this, [this] { update(); });
    setItems(items);
}

void TrayAllChip::setItems(const QList<TrayItem>& items) {
    m_items = items;
    m_handle->items = items;
    setToolTip(QStringLiteral("Drag all %1 items out together").arg(items.size()));
    update();
}

void TrayAllChip::setCopyByDefault(bool copyByDefault) {
    m_handle->copyByDefault = copyByDefault;
}

void TrayAllChip::setHovering(bool hovering) {
    if (hovering == m_hovering) return;
    m_hovering = hovering;
    m_hover.animateTo(QVariant(hovering ? 1.0 : 0.0),
                      Vesk::Motion::respectingReduceMotion(Vesk::Motion::hover));
}

void TrayAllChip::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setHovering(true);
}

void TrayAllChip::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setHovering(false);
}

void TrayAllChip::preview() {
    QList<QUrl> urls;
    for (const TrayItem& item : m_items)
        urls.append(item.storedURL());
    m_environment.show(urls, 0);
}

QList<double> TrayAllChip::cardAngles() const {
    QList<double> angles;
    for (int i = 0; i < std::min<int>(int(m_items.size()), 3); ++i)
        angles.append((i - 1) * 6.0);
    return angles;
}

QRectF TrayAllChip::pictureRect() const {
    return QRectF((TrayChip::width_ - pictureWidth) / 2, TrayChip::tileTop, pictureWidth, pictureHeight);
}

QSize TrayAllChip::sizeHint() const {
    return QSize(int(TrayChip::width_),
                 int(std::ceil(TrayChip::tileTop + pictureHeight + TrayChip::captionSpacing +
                               QFontMetricsF(captionFont()).height())));
}

void TrayAllChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double t = std::clamp(m_hover.valueAs<double>(), 0.0, 1.0);
    const QRectF picture = pictureRect();
    painter.save();
    painter.translate(picture.center());
    painter.scale(1 + 0.05 * t, 1 + 0.05 * t);
    const QList<double> angles = cardAngles();
    for (qsizetype i = 0; i < angles.size(); ++i) {
        painter.save();
        painter.translate((double(i) - 1) * 2, 0);
        painter.rotate(angles[i]);
        QPainterPath card;
        card.addRoundedRect(QRectF(-cardSide / 2, -cardSide / 2, cardSide, cardSide), 8, 8);
        painter.fillPath(card, Vesk::Ink::x800);
        painter.strokePath(card, QPen(Vesk::Ink::x600, 1));
        painter.restore();
    }
    const double side = Symbols::sideForFontSize(17);
    Symbols::paint(painter, QRectF(-side / 2, -side / 2, side, side), u"square.stack.3d.up.fill",
                   Vesk::Accent::x500);
    painter.restore();

    const QFontMetricsF metrics(captionFont());
    painter.setFont(captionFont());
    painter.setPen(Vesk::Stone::x200);
    painter.drawText(
        QRectF(0, picture.bottom() + TrayChip::captionSpacing, TrayChip::width_, metrics.height()),
        Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("All %1").arg(m_items.size()));
}

} // namespace vesk
