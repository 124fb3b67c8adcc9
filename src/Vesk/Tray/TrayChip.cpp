#include "Vesk/Tray/TrayChip.h"

#include "Vesk/Desk/Widgets/RowMenu.h"
#include "Vesk/Tray/TrayDragHandle.h"
#include "Vesk/Tray/TrayMoveWatch.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <cmath>

namespace vesk {

namespace {

const QFont& nameFont() {
    static const QFont font = systemFont(10);
    return font;
}
const QFont& sizeFont() {
    static const QFont font = systemFont(8, QFont::Normal, FontDesign::monospaced);
    return font;
}

QColor mix(const QColor& from, const QColor& to, double t) {
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                            float(from.greenF() + (to.greenF() - from.greenF()) * t),
                            float(from.blueF() + (to.blueF() - from.blueF()) * t));
}

QPainterPath rounded(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// The remove button: a white cross in a black disc.
class RemoveButton final : public QAbstractButton {
public:
    static constexpr double side = 14 * 1.2;

    explicit RemoveButton(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setAccessibleName(QStringLiteral("Remove"));
        setCursor(Qt::PointingHandCursor);
    }
    QSize sizeHint() const override {
        const int whole = int(std::ceil(side + 6));
        return QSize(whole, whole);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF disc = QRectF(rect()).adjusted(3, 3, -3, -3);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Vesk::Ink::x1000);
        painter.drawEllipse(disc.adjusted(1, 1, -1, -1));
        Symbols::paint(painter, disc, u"xmark.circle.fill", Vesk::Stone::x100);
    }
};

} // namespace

TrayChip::TrayChip(const TrayItem& item, TrayStore* store, bool copyByDefault,
                   std::function<void(const TrayItem&)> onRemove, const TrayViewEnvironment& environment,
                   QWidget* parent)
    : QWidget(parent), m_item(item), m_store(store), m_copyByDefault(copyByDefault),
      m_onRemove(std::move(onRemove)), m_environment(environment), m_hover(QVariant(0.0)),
      m_handle(new TrayDragHandle(this)), m_remove(new RemoveButton(this)) {
    setAttribute(Qt::WA_Hover);
    m_handle->items = {item};
    m_handle->copyByDefault = copyByDefault;
    m_handle->altHeld = environment.altHeld;
    m_handle->onClick = [this] { preview(); };
    // On its own the chip follows its moved file itself; a tray widget replaces this with
    // a watch that outlives the chip.
    m_handle->onMovedAway = [this](const QList<TrayItem>& dragged) {
        new TrayMoveWatch(
            dragged,
            [this](const QList<TrayItem>& gone) {
                for (const TrayItem& each : gone)
                    if (m_onRemove) m_onRemove(each);
            },
            this);
    };
    m_handle->setGeometry(tileRect().toAlignedRect());
    const QSize button = m_remove->sizeHint();
    m_remove->setGeometry(int(tileRect().right() - button.width() + 5), int(tileRect().top() - 5),
                          button.width(), button.height());
    m_remove->hide();
    m_remove->raise();
    connect(m_remove, &QAbstractButton::clicked, this, [this] {
        if (m_onRemove) m_onRemove(m_item);
    });
    connect(&m_hover, &MotionAnimator::valueChanged, this, [this] { update(); });
    setToolTip(helpText());
}

void TrayChip::setItem(const TrayItem& item) {
    if (item == m_item) return;
    const bool newFile = item.storedPath != m_item.storedPath;
    m_item = item;
    m_handle->items = {item};
    setToolTip(helpText());
    if (newFile) {
        m_thumbnail = QImage();
        requestThumbnail();
    }
    update();
}

void TrayChip::setCopyByDefault(bool copyByDefault) {
    m_copyByDefault = copyByDefault;
    m_handle->copyByDefault = copyByDefault;
    setToolTip(helpText());
}

void TrayChip::setHovering(bool hovering) {
    if (hovering == m_hovering) return;
    m_hovering = hovering;
    m_remove->setVisible(hovering);
    m_hover.animateTo(QVariant(hovering ? 1.0 : 0.0),
                      Vesk::Motion::respectingReduceMotion(Vesk::Motion::hover));
    update();
}

QRectF TrayChip::tileRect() const {
    return QRectF((width_ - tileSide) / 2, tileTop, tileSide, tileSide);
}

QRectF TrayChip::badgeRect() const {
    if (!m_item.fromOtherDevice.value_or(false)) return {};
    const double side = 9 * 1.2 + 8;
    const QRectF tile = tileRect();
    return QRectF(tile.left() + 3, tile.bottom() - 3 - side, side, side);
}

QString TrayChip::helpText() const {
    return m_item.displayName +
           (m_copyByDefault ? QStringLiteral(" — click to preview; drag out to copy, Alt-drag to move")
                            : QStringLiteral(" — click to preview; drag out to move, Alt-drag to copy"));
}

void TrayChip::preview() {
    m_environment.show({m_item.storedURL()}, 0);
}

QSize TrayChip::sizeHint() const {
    const double caption = QFontMetricsF(nameFont()).height() + 1 + QFontMetricsF(sizeFont()).height();
    return QSize(int(width_), int(std::ceil(tileTop + tileSide + captionSpacing + caption)));
}

void TrayChip::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setHovering(true);
}

void TrayChip::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setHovering(false);
}

void TrayChip::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_thumbnail.isNull()) requestThumbnail();
}

void TrayChip::requestThumbnail() {
    if (!m_store || !isVisible()) return;
    const QString path = m_item.storedPath;
    // With this chip as the context, a result arriving after it is gone is dropped.
    m_store->thumbnail(m_item, thumbnailSize, this, [this, path](const QImage& image) {
        if (path != m_item.storedPath) return;
        m_thumbnail = image;
        update();
    });
}

bool TrayChip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (badgeRect().contains(help->pos())) {
            QToolTip::showText(help->globalPos(),
                               QStringLiteral("Pasted from another of your devices via the clipboard"), this);
            return true;
        }
    }
    return QWidget::event(event);
}

void TrayChip::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's items act on this item only while the chip exists.
    const TrayItem item = m_item;
    const TrayViewEnvironment& environment = m_environment;
    const auto onRemove = m_onRemove;
    popupRowMenu(
        this, event->globalPos(),
        {{QStringLiteral("Preview"), [&environment, item] { environment.show({item.storedURL()}, 0); }},
         {QStringLiteral("Show in Folder"),
          [&environment, item] { environment.showInFolder(item.storedPath); }},
         {QStringLiteral("Copy"), [&environment, item] { environment.copy(item.storedURL()); }},
         {QString(), {}},
         {QStringLiteral("Remove"),
          [onRemove, item] {
              if (onRemove) onRemove(item);
          },
          true}});
    event->accept();
}

void TrayChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double t = std::clamp(m_hover.valueAs<double>(), 0.0, 1.0);
    const QRectF tile = tileRect();

    painter.save();
    painter.translate(tile.center());
    painter.scale(1 + 0.05 * t, 1 + 0.05 * t);
    painter.translate(-tile.center());
    if (t > 0) {
        // A soft shadow, 2 down, fading out over 6 points.
        for (int ring = 6; ring >= 1; --ring) {
            QColor shade(0, 0, 0, int(0.4 * t * 255 / 6));
            painter.fillPath(
                rounded(tile.translated(0, 2).adjusted(-ring, -ring, ring, ring), tileRadius + ring), shade);
        }
    }
    const QPainterPath shape = rounded(tile, tileRadius);
    painter.fillPath(shape, Vesk::Ink::x800);
    painter.save();
    painter.setClipPath(shape);
    if (!m_thumbnail.isNull()) {
        const QRectF area = tile.adjusted(3, 3, -3, -3);
        const QSizeF size = m_thumbnail.deviceIndependentSize().scaled(area.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(area.center() - QPointF(size.width(), size.height()) / 2, size),
                          m_thumbnail);
    } else {
        const double side = Symbols::sideForFontSize(24);
        Symbols::paint(painter, QRectF(tile.center() - QPointF(side, side) / 2, QSizeF(side, side)),
                       m_item.isDirectory ? u"folder.fill" : u"doc.fill", Vesk::Stone::x400);
    }
    painter.restore();
    painter.setPen(QPen(mix(Vesk::Ink::x600, Vesk::Accent::x500, t), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(rounded(tile.adjusted(0.5, 0.5, -0.5, -0.5), tileRadius));

    if (const QRectF badge = badgeRect(); !badge.isNull()) {
        painter.setPen(QPen(Vesk::Ink::x600, 0.5));
        painter.setBrush(Vesk::Ink::x1000);
        painter.drawEllipse(badge);
        Symbols::paint(painter, badge.adjusted(4, 4, -4, -4), u"iphone", Vesk::Stone::x100);
    }
    painter.restore();

    // Caption: the name, cut in the middle, and the size.
    const QFontMetricsF nameMetrics(nameFont());
    const double top = tile.bottom() + captionSpacing;
    painter.setFont(nameFont());
    painter.setPen(mix(Vesk::Stone::x300, Vesk::Stone::x100, t));
    painter.drawText(QRectF(0, top, width_, nameMetrics.height()), Qt::AlignHCenter | Qt::AlignTop,
                     nameMetrics.elidedText(m_item.displayName, Qt::ElideMiddle, width_));
    const QFontMetricsF sizeMetrics(sizeFont());
    painter.setFont(sizeFont());
    painter.setPen(Vesk::Stone::x400);
    painter.drawText(QRectF(0, top + nameMetrics.height() + 1, width_, sizeMetrics.height()),
                     Qt::AlignHCenter | Qt::AlignTop,
                     sizeMetrics.elidedText(m_item.subtitle(), Qt::ElideRight, width_));
}

} // namespace vesk
