#include "Vesk/Onboarding/OnboardingParts.h"

#include "Vesk/Controls/NoticeCards.h"
#include "Vesk/Controls/PlainTextButton.h"
#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/SymbolView.h"
#include "Vesk/Controls/TextView.h"
#include "VeskPlatform/Workspace/SystemSettings.h"
#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Motion/ReduceMotion.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace onboardingType {
QFont eyebrow() {
    return systemFont(10, QFont::DemiBold);
}
QFont title() {
    return systemFont(27, QFont::DemiBold);
}
QFont body() {
    return systemFont(13.5);
}
QFont rowTitle() {
    return systemFont(12.5, QFont::DemiBold);
}
QFont rowBody() {
    return systemFont(11);
}
QFont button() {
    return systemFont(12.5, QFont::DemiBold);
}
} // namespace onboardingType

namespace {

// The 32 × 32 tile of a permission: tinted once granted.
class PermissionTile final : public QWidget {
public:
    PermissionTile(QString symbol, bool granted, QWidget* parent)
        : QWidget(parent), m_symbol(std::move(symbol)), m_granted(granted) {
        setFixedSize(32, 32);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_granted ? Vesk::Accent::tint : Vesk::Ink::x800);
        painter.drawRoundedRect(QRectF(rect()), 8, 8);
        Symbols::paintForFontSize(painter, QRectF(rect()), 14, m_symbol,
                                  m_granted ? Vesk::Accent::x500 : Vesk::Stone::x400);
    }

private:
    QString m_symbol;
    bool m_granted;
};

void paintPanel(QWidget* widget, const QColor& outline) {
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outline, 1));
    painter.setBrush(Vesk::Ink::x850);
    painter.drawRoundedRect(QRectF(widget->rect()).adjusted(0.5, 0.5, -0.5, -0.5), 11, 11);
}

} // namespace

// ---- Buttons

AccentButton::AccentButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent), m_press(new MotionAnimator(QVariant(0.0), this)) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::pressed, this, [this] { pressChanged(true); });
    connect(this, &QAbstractButton::released, this, [this] { pressChanged(false); });
    connect(m_press, &MotionAnimator::valueChanged, this, qOverload<>(&QWidget::update));
}

double AccentButton::pressAmount() const {
    return m_press->valueAs<double>();
}

void AccentButton::pressChanged(bool down) {
    const QVariant target(down ? 1.0 : 0.0);
    if (ReduceMotion::shared().isOn())
        m_press->setValue(target);
    else
        m_press->animateTo(target, MotionSpec::spring(0.2, 0.7));
}

QSize AccentButton::sizeHint() const {
    const QFontMetricsF metrics(onboardingType::button());
    return {int(std::ceil(metrics.horizontalAdvance(text()) + 36)), int(std::ceil(metrics.height() + 16))};
}

void AccentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Pressed: 0.97 of its size around its centre, and the darker fill.
    const double press = pressAmount();
    const double scale = 1 - 0.03 * press;
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const auto mix = [press](float from, float to) {
        return from + (to - from) * float(std::clamp(press, 0.0, 1.0));
    };
    const QColor rest = Vesk::Accent::x500, down = Vesk::Accent::x600;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(mix(rest.redF(), down.redF()), mix(rest.greenF(), down.greenF()),
                                      mix(rest.blueF(), down.blueF())));
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    painter.setFont(onboardingType::button());
    painter.setPen(Vesk::Accent::on);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}

// ---- Permission row

QString permissionGrantedLine(Permission permission) {
    switch (permission) {
    case Permission::inputMonitoring:
        return QStringLiteral("See the volume, brightness and media keys so the notch can react to them.");
    case Permission::accessibility:
        return QStringLiteral("Replace the system volume and brightness HUDs with VeskNotch's.");
    case Permission::bluetooth:
        return QStringLiteral("Show when your AirPods and other devices connect, and their battery.");
    case Permission::calendar:
        return QStringLiteral("Show your next event in the notch and on the Desk.");
    case Permission::camera:
        return QStringLiteral("The Mirror widget.");
    }
    return {};
}

PermissionRow::PermissionRow(Permission permission, PermissionState state, std::function<void()> onRequest,
                             std::function<void()> onOpenSettings, bool unavailable, QWidget* parent)
    : QWidget(parent), m_permission(permission), m_state(state),
      m_line(new TextView(state == PermissionState::granted ? permissionGrantedLine(permission)
                                                            : permissionNoticeDetail(permission),
                          onboardingType::rowBody(), Vesk::Stone::x400)) {
    setObjectName(toRaw(permission));
    const bool granted = state == PermissionState::granted;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(13, 13, 13, 13);
    row->setSpacing(13);
    row->addWidget(new PermissionTile(permissionNoticeSymbol(permission), granted, this));
    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(new TextView(displayName(permission), onboardingType::rowTitle(), Vesk::Stone::x100));
    m_line->setWrapping(true);
    text->addWidget(m_line);
    row->addLayout(text, 1);
    row->addSpacing(10);

    if (granted) {
        auto* on = new QWidget(this);
        auto* mark = new QHBoxLayout(on);
        mark->setContentsMargins(0, 0, 0, 0);
        mark->setSpacing(4);
        mark->addWidget(new SymbolView(QStringLiteral("checkmark"), 9, Vesk::Semantic::sage, on));
        mark->addWidget(
            new TextView(QStringLiteral("On"), systemFont(11, QFont::Medium), Vesk::Semantic::sage));
        m_control = on;
    } else if (unavailable) {
        m_control = new TextView(QStringLiteral("Unavailable"), systemFont(11, QFont::Medium), Vesk::Stone::x400);
    } else if (state == PermissionState::denied) {
        auto* open = new PlainTextButton(QStringLiteral("Open Settings"), systemFont(11, QFont::Medium),
                                         Vesk::Stone::x200, this);
        connect(open, &QAbstractButton::clicked, this, [onOpenSettings = std::move(onOpenSettings)] {
            if (onOpenSettings) onOpenSettings();
        });
        m_control = open;
    } else {
        auto* allow = new SmallAccentButton(QStringLiteral("Allow"), this);
        connect(allow, &QAbstractButton::clicked, this, [onRequest = std::move(onRequest)] {
            if (onRequest) onRequest();
        });
        m_control = allow;
    }
    m_control->setObjectName(QStringLiteral("control"));
    row->addWidget(m_control, 0, Qt::AlignVCenter);
}

void PermissionRow::paintEvent(QPaintEvent*) {
    paintPanel(this, Vesk::Ink::x700);
}

// ---- Stuck help

QStringList StuckHelp::steps(Permission permission) {
    return {SystemSettings::nothingNeeded(paneAnchor(permission))};
}

StuckHelp::StuckHelp(Permission permission, std::function<void()> onDismiss,
                     std::function<void()> onOpenSettings, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("stuckHelp"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(13, 13, 13, 13);
    column->setSpacing(9);

    auto* header = new QHBoxLayout;
    header->setSpacing(7);
    header->addWidget(
        new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), 11, Vesk::Semantic::amber, this));
    header->addWidget(
        new TextView(QStringLiteral("That didn't take"), onboardingType::rowTitle(), Vesk::Stone::x100));
    header->addStretch(1);
    auto* close = new PlainTextButton(QString(), systemFont(9, QFont::DemiBold), Vesk::Stone::x400, this);
    close->setObjectName(QStringLiteral("dismiss"));
    close->setFixedSize(16, 16);
    auto* cross = new SymbolView(QStringLiteral("xmark"), 9, Vesk::Stone::x400, close);
    cross->move((16 - cross->width()) / 2, (16 - cross->height()) / 2);
    cross->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(close, &QAbstractButton::clicked, this, [onDismiss = std::move(onDismiss)] {
        if (onDismiss) onDismiss();
    });
    header->addWidget(close);
    column->addLayout(header);

    auto* list = new QVBoxLayout;
    list->setSpacing(5);
    int number = 0;
    for (const QString& step : steps(permission)) {
        auto* line = new QHBoxLayout;
        line->setSpacing(8);
        auto* digit = new TextView(QString::number(++number),
                                   systemFont(9, QFont::DemiBold, FontDesign::monospaced), Vesk::Stone::x400);
        digit->setFixedWidth(12);
        digit->setAlignment(Qt::AlignRight | Qt::AlignTop);
        line->addWidget(digit, 0, Qt::AlignTop);
        auto* text = new TextView(step, onboardingType::rowBody(), Vesk::Stone::x300);
        text->setWrapping(true);
        line->addWidget(text, 1);
        list->addLayout(line);
    }
    column->addLayout(list);

    auto* open = new PlainTextButton(QStringLiteral("Open ") + displayName(permission),
                                     systemFont(11, QFont::Medium), Vesk::Stone::x200, this);
    open->setObjectName(QStringLiteral("openSettings"));
    connect(open, &QAbstractButton::clicked, this, [onOpenSettings = std::move(onOpenSettings)] {
        if (onOpenSettings) onOpenSettings();
    });
    column->addSpacing(2);
    column->addWidget(open, 0, Qt::AlignLeft);
}

void StuckHelp::paintEvent(QPaintEvent*) {
    QColor outline = Vesk::Semantic::amber;
    outline.setAlphaF(0.4f);
    paintPanel(this, outline);
}

// ---- Note

Note::Note(const QString& text, QWidget* parent)
    : QWidget(parent), m_text(new TextView(text, onboardingType::rowBody(), Vesk::Stone::x400)) {
    setMaximumWidth(470);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 0, 0); // the bar's 2 points and the 10 between
    m_text->setWrapping(true, 470 - 12);
    m_text->setLineSpacing(2);
    row->addWidget(m_text);
}

void Note::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRectF(0, 0, 2, height()), Vesk::Ink::x600);
}

} // namespace vesk
