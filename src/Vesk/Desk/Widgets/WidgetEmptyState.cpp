#include "Vesk/Desk/Widgets/WidgetEmptyState.h"

#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

const QFont& messageFont() {
    static const QFont font = systemFont(WidgetEmptyState::textFontSize);
    return font;
}
const QFont& detailFont() {
    static const QFont font = systemFont(WidgetEmptyState::textFontSize, QFont::DemiBold);
    return font;
}

constexpr int textFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

// The height of `text` wrapped to `width`, never cut.
double wrappedHeight(const QFont& font, const QString& text, double width) {
    return QFontMetricsF(font)
        .boundingRect(QRectF(0, 0, std::max(width, 1.0), 1e6), textFlags, text)
        .height();
}

// A capsule of accent colour holding its title.
class CapsuleButton final : public QAbstractButton {
public:
    static constexpr double horizontalPadding = 14;
    static constexpr double verticalPadding = 6;

    CapsuleButton(const QString& title, QWidget* parent) : QAbstractButton(parent) {
        setText(title);
        setFont(detailFont());
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(title);
    }

    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return QSize(int(std::ceil(metrics.horizontalAdvance(text()) + 2 * horizontalPadding)),
                     int(std::ceil(metrics.height() + 2 * verticalPadding)));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area = rect();
        QPainterPath capsule;
        capsule.addRoundedRect(area, area.height() / 2, area.height() / 2);
        painter.setOpacity(isDown() ? 0.7 : 1.0);
        painter.fillPath(capsule, Vesk::Accent::x500);
        painter.setPen(Vesk::Accent::on);
        painter.setFont(font());
        painter.drawText(area, Qt::AlignCenter, text());
    }
};

} // namespace

WidgetEmptyState::WidgetEmptyState(const QString& symbol, const QString& message,
                                   const std::optional<QString>& detail, std::optional<Action> action,
                                   QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_message(message), m_detail(detail), m_action(std::move(action)) {
    if (m_action) {
        m_button = new CapsuleButton(m_action->title, this);
        connect(m_button, &QAbstractButton::clicked, this, [this] {
            if (m_action && m_action->perform) m_action->perform();
        });
    }
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

WidgetEmptyState::Parts WidgetEmptyState::layoutFor(double width) const {
    Parts parts;
    const double left = horizontalPadding;
    const double inner = std::max(1.0, width - 2 * horizontalPadding);
    double y = 0;

    const double side = Symbols::sideForFontSize(symbolFontSize);
    parts.symbol = QRectF(left + (inner - side) / 2, y, side, side);
    y += side + spacing;

    const double messageHeight = wrappedHeight(messageFont(), m_message, inner);
    parts.message = QRectF(left, y, inner, messageHeight);
    y += messageHeight;
    if (m_detail) {
        y += textSpacing;
        const double detailHeight = wrappedHeight(detailFont(), *m_detail, inner);
        parts.detail = QRectF(left, y, inner, detailHeight);
        y += detailHeight;
    }
    if (m_button) {
        y += spacing;
        const QSize hint = m_button->sizeHint();
        const double buttonWidth = std::min<double>(hint.width(), inner);
        parts.button = QRectF(left + (inner - buttonWidth) / 2, y, buttonWidth, hint.height());
        y += hint.height();
    }
    parts.height = y;
    return parts;
}

WidgetEmptyState::Parts WidgetEmptyState::placed() const {
    Parts parts = layoutFor(width());
    const double top = std::max(0.0, (height() - parts.height) / 2);
    for (QRectF* rect : {&parts.symbol, &parts.message, &parts.detail, &parts.button})
        if (!rect->isNull()) rect->translate(0, top);
    return parts;
}

QRectF WidgetEmptyState::symbolRect() const {
    return placed().symbol;
}

QRectF WidgetEmptyState::messageRect() const {
    return placed().message;
}

QRectF WidgetEmptyState::detailRect() const {
    return placed().detail;
}

QSize WidgetEmptyState::sizeHint() const {
    const int width = 200;
    return QSize(width, heightForWidth(width));
}

int WidgetEmptyState::heightForWidth(int width) const {
    return int(std::ceil(layoutFor(width).height));
}

void WidgetEmptyState::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_button) m_button->setGeometry(placed().button.toAlignedRect());
}

void WidgetEmptyState::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Parts parts = placed();
    Symbols::paint(painter, parts.symbol, m_symbol, Vesk::Stone::x400);
    painter.setFont(messageFont());
    painter.setPen(Vesk::Stone::x300);
    painter.drawText(parts.message, textFlags, m_message);
    if (m_detail) {
        painter.setFont(detailFont());
        painter.setPen(Vesk::Stone::x100);
        painter.drawText(parts.detail, textFlags, *m_detail);
    }
}

} // namespace vesk
