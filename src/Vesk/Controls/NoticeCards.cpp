#include "Vesk/Controls/NoticeCards.h"

#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/SymbolView.h"
#include "Vesk/Controls/TextView.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace vesk {

namespace {

constexpr double noticeRadius = 16;
constexpr int noticePadding = 13;

// The 30 × 30 tile behind a permission's symbol.
class PermissionTile final : public QWidget {
public:
    PermissionTile(QString symbol, QWidget* parent) : QWidget(parent), m_symbol(std::move(symbol)) {
        setFixedSize(30, 30);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        dimming::apply(painter, this);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Vesk::Ink::x800);
        painter.drawRoundedRect(QRectF(rect()), 8, 8);
        Symbols::paintForFontSize(painter, QRectF(rect()), 13, m_symbol, Vesk::Stone::x400);
    }

private:
    QString m_symbol;
};

void paintNotice(QWidget* notice, const QColor& outline) {
    QPainter painter(notice);
    painter.setRenderHint(QPainter::Antialiasing);
    dimming::apply(painter, notice);
    const QRectF box = QRectF(notice->rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(outline, 1));
    painter.setBrush(Vesk::Ink::x850);
    painter.drawRoundedRect(box, noticeRadius, noticeRadius);
}

TextView* footnoteText(const QString& text) {
    auto* view = new TextView(text, Vesk::Type_::settingsFootnote(), Vesk::Stone::x400);
    view->setWrapping(true);
    return view;
}

} // namespace

QString permissionNoticeDetail(Permission permission) {
    switch (permission) {
    case Permission::inputMonitoring:
        return QStringLiteral(
            "Volume changes still show a HUD — VeskNotch reads them from the audio system instead.");
    case Permission::accessibility:
        return QStringLiteral("VeskNotch's HUD still appears; the desktop's just appears too.");
    case Permission::bluetooth:
        return QStringLiteral("No connect or battery pills. Everything else is unaffected.");
    case Permission::calendar:
        return QStringLiteral("No calendar widget or event pills.");
    case Permission::camera:
        return QStringLiteral("No Mirror widget.");
    }
    return {};
}

QString permissionNoticeSymbol(Permission permission) {
    switch (permission) {
    case Permission::inputMonitoring:
        return QStringLiteral("keyboard");
    case Permission::accessibility:
        return QStringLiteral("hand.tap");
    case Permission::bluetooth:
        return QStringLiteral("airpods.gen3");
    case Permission::calendar:
        return QStringLiteral("calendar");
    case Permission::camera:
        return QStringLiteral("camera");
    }
    return {};
}

PermissionNeededCard::PermissionNeededCard(Permission permission, std::function<void()> onRequest,
                                           QWidget* parent)
    : QWidget(parent), m_permission(permission),
      m_title(new TextView(displayName(permission) + QStringLiteral(" access needed"),
                           systemFont(12, QFont::DemiBold), Vesk::Stone::x100)),
      m_detail(footnoteText(permissionNoticeDetail(permission))),
      m_allow(new SmallAccentButton(QStringLiteral("Allow"))) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(noticePadding, noticePadding, noticePadding, noticePadding);
    row->setSpacing(12);
    row->addWidget(new PermissionTile(permissionNoticeSymbol(permission), this), 0, Qt::AlignVCenter);
    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(m_title);
    text->addWidget(m_detail);
    row->addLayout(text, 1);
    row->addSpacing(8);
    row->addWidget(m_allow, 0, Qt::AlignVCenter);
    m_allow->setObjectName(QStringLiteral("allow"));
    connect(m_allow, &QAbstractButton::clicked, this, [onRequest = std::move(onRequest)] {
        if (onRequest) onRequest();
    });
}

void PermissionNeededCard::paintEvent(QPaintEvent*) {
    QColor outline = Vesk::Semantic::amber;
    outline.setAlphaF(0.35f);
    paintNotice(this, outline);
}

UnavailableCard::UnavailableCard(const QString& title, const QString& detail, QWidget* parent)
    : QWidget(parent), m_title(new TextView(title, systemFont(12, QFont::DemiBold), Vesk::Stone::x200)),
      m_detail(footnoteText(detail)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(noticePadding, noticePadding, noticePadding, noticePadding);
    row->setSpacing(11);
    row->addWidget(new SymbolView(QStringLiteral("info.circle"), 13, Vesk::Stone::x400, this), 0,
                   Qt::AlignTop);
    auto* text = new QVBoxLayout;
    text->setSpacing(3);
    text->addWidget(m_title);
    text->addWidget(m_detail);
    row->addLayout(text, 1);
}

void UnavailableCard::paintEvent(QPaintEvent*) {
    paintNotice(this, Vesk::Ink::x700);
}

} // namespace vesk
