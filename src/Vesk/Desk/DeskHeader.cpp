#include "Vesk/Desk/DeskHeader.h"

#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskServices/Tray/TrayItem.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace vesk {

namespace {

QString titleOf(DeskTab tab) {
    return tab == DeskTab::desk ? QStringLiteral("Desk") : QStringLiteral("Tray");
}

QString symbolOf(DeskTab tab) {
    return tab == DeskTab::desk ? QStringLiteral("rectangle.3.group.fill") : QStringLiteral("tray.fill");
}

// A button that is only its symbol, in the secondary text colour.
class SymbolButton final : public QAbstractButton {
public:
    SymbolButton(const QString& symbol, const QString& tip, QWidget* parent)
        : QAbstractButton(parent), m_symbol(symbol) {
        setToolTip(tip);
        setAccessibleName(tip);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }

    QSize sizeHint() const override {
        const int side = int(std::ceil(Symbols::sideForFontSize(DeskHeader::buttonFontSize)));
        return QSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (isDown()) painter.setOpacity(0.6);
        Symbols::paint(painter, rect(), m_symbol, Vesk::Stone::x400);
    }

private:
    QString m_symbol;
};

} // namespace

// ---- Tab button

DeskTabButton::DeskTabButton(DeskTab tab, bool selected, QWidget* parent)
    : QAbstractButton(parent), m_tab(tab), m_selected(selected) {
    setText(titleOf(tab));
    setAccessibleName(text());
    setFont(Vesk::Type_::activityTitle());
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void DeskTabButton::setBadge(bool shown) {
    if (shown == m_badge) return;
    m_badge = shown;
    update();
}

QSizeF DeskTabButton::capsuleSize() const {
    const QFontMetricsF metrics(font());
    const double symbol = Symbols::sideForFontSize(symbolFontSize);
    const double width = symbol + labelSpacing + metrics.horizontalAdvance(text()) + 2 * horizontalPadding;
    const double height = std::max(symbol, metrics.height()) + 2 * verticalPadding;
    return QSizeF(std::ceil(width), std::ceil(height));
}

QRectF DeskTabButton::capsuleRect() const {
    return QRectF(QPointF(0, badgeUp), capsuleSize());
}

QRectF DeskTabButton::badgeRect() const {
    const QRectF capsule = capsuleRect();
    return QRectF(capsule.right() - badgeSide + badgeRight, capsule.top() - badgeUp, badgeSide, badgeSide);
}

QSize DeskTabButton::sizeHint() const {
    const QSizeF capsule = capsuleSize();
    return QSize(int(capsule.width() + badgeRight), int(capsule.height() + badgeUp));
}

bool DeskTabButton::hitButton(const QPoint& position) const {
    const QRectF capsule = capsuleRect();
    QPainterPath path;
    path.addRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    return path.contains(QPointF(position) + QPointF(0.5, 0.5));
}

void DeskTabButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = capsuleRect();
    QPainterPath path;
    path.addRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    painter.fillPath(path, m_selected ? Vesk::Ink::x800 : Vesk::Ink::x950);

    const QColor colour = m_selected ? Vesk::Stone::x100 : Vesk::Stone::x400;
    const QFontMetricsF metrics(font());
    const double symbol = Symbols::sideForFontSize(symbolFontSize);
    const double left = capsule.left() + horizontalPadding;
    Symbols::paint(painter, QRectF(left, capsule.center().y() - symbol / 2, symbol, symbol), symbolOf(m_tab),
                   colour);
    painter.setPen(colour);
    painter.setFont(font());
    const double textLeft = left + symbol + labelSpacing;
    painter.drawText(QRectF(textLeft, capsule.top(), capsule.right() - textLeft, capsule.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());

    if (m_badge) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Vesk::Accent::x500);
        painter.drawEllipse(badgeRect());
    }
}

// ---- Header

DeskHeader::DeskHeader(DeskTab tab, NotchViewModel& model, QWidget* parent)
    : QWidget(parent), m_tab(tab), m_model(&model),
      m_desk(new DeskTabButton(DeskTab::desk, tab == DeskTab::desk, this)),
      m_tray(new DeskTabButton(DeskTab::tray, tab == DeskTab::tray, this)),
      m_settings(new SymbolButton(QStringLiteral("gearshape.fill"), QStringLiteral("Settings"), this)),
      m_close(new SymbolButton(QStringLiteral("chevron.up"), QStringLiteral("Close"), this)) {
    for (DeskTabButton* button : {m_desk, m_tray}) {
        const DeskTab target = button->tab();
        // The selected tab sends its event too: the state machine decides.
        connect(button, &QAbstractButton::clicked, this, [this, target] {
            if (m_model) m_model->send(NotchEvent::selectTab(target));
        });
    }
    connect(m_settings, &QAbstractButton::clicked, this,
            [] { NotificationCenter::defaultCenter().post(notchNotifications::veskOpenSettings); });
    connect(m_close, &QAbstractButton::clicked, this, [this] {
        if (m_model) m_model->send(NotchEvent::forceClose());
    });
    connect(&model, &NotchViewModel::trayItemsChanged, this, &DeskHeader::updateBadge);
    updateBadge();
}

DeskTabButton* DeskHeader::tabButton(DeskTab tab) const {
    return tab == DeskTab::desk ? m_desk : m_tray;
}

void DeskHeader::updateBadge() {
    m_tray->setBadge(m_model && m_tab != DeskTab::tray && !m_model->trayItems().isEmpty());
}

void DeskHeader::setZones(double sideZone, double cutout) {
    if (sideZone == m_sideZone && cutout == m_cutout) return;
    m_sideZone = sideZone;
    m_cutout = cutout;
    place();
}

void DeskHeader::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void DeskHeader::place() {
    const double middle = height() / 2.0;
    // Tabs are placed by their capsules, which sit below the room left for the dot.
    double x = 0;
    for (DeskTabButton* button : {m_desk, m_tray}) {
        const QSize hint = button->sizeHint();
        const QRectF capsule = button->capsuleRect();
        button->setGeometry(int(std::round(x)), int(std::round(middle - capsule.center().y())), hint.width(),
                            hint.height());
        x += capsule.width() + tabSpacing;
    }

    double right = m_sideZone * 2 + m_cutout;
    for (QAbstractButton* button : {m_close, m_settings}) {
        const QSize hint = button->sizeHint();
        right -= hint.width();
        button->setGeometry(int(std::round(right)), int(std::round(middle - hint.height() / 2.0)),
                            hint.width(), hint.height());
        right -= buttonSpacing;
    }
}

} // namespace vesk
