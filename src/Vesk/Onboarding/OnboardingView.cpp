#include "Vesk/Onboarding/OnboardingView.h"

#include "Vesk/Controls/PlainTextButton.h"
#include "Vesk/Controls/ScrollBarStyle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Onboarding/NotchDemo.h"
#include "Vesk/Onboarding/OnboardingParts.h"
#include "Vesk/Permissions/Permissions.h"
#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Motion/ReduceMotion.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

using Step = OnboardingModel::Step;

constexpr MotionSpec pageMotion = MotionSpec::spring(0.38, 0.86);
constexpr MotionSpec dotsMotion = MotionSpec::spring(0.3, 0.8);

void moveTo(MotionAnimator* animator, double target, const MotionSpec& motion) {
    if (ReduceMotion::shared().isOn())
        animator->setValue(target);
    else
        animator->animateTo(target, motion);
}

// One capsule per step; the current one long and in the accent. The position moves
// between steps, so the long capsule slides.
class ProgressDots final : public QWidget {
public:
    ProgressDots(MotionAnimator* position, QWidget* parent) : QWidget(parent), m_position(position) {
        setFixedSize(4 * 5 + 4 * 5 + 14, 5);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const double position = m_position->valueAs<double>();
        double x = 0;
        for (int i = 0; i < OnboardingModel::stepCount; ++i) {
            const double share = std::clamp(1.0 - std::fabs(position - i), 0.0, 1.0);
            const double width = 5 + 9 * share;
            const QColor from = Vesk::Ink::x700, to = Vesk::Accent::x500;
            painter.setBrush(QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
                                              float(from.greenF() + (to.greenF() - from.greenF()) * share),
                                              float(from.blueF() + (to.blueF() - from.blueF()) * share)));
            painter.drawRoundedRect(QRectF(x, 0, width, 5), 2.5, 2.5);
            x += width + 5;
        }
    }

private:
    MotionAnimator* m_position;
};

// The footer's ground with its top line.
class Footer final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Vesk::Ink::x900);
        painter.fillRect(QRect(0, 0, width(), 1), Vesk::Ink::x700);
    }
};

std::optional<DemoScript> demoFor(Step step) {
    switch (step) {
    case Step::welcome:
        return DemoScript::overview;
    case Step::gestures:
        return DemoScript::gestures;
    case Step::media:
        return DemoScript::media;
    case Step::desk:
        return DemoScript::desk;
    case Step::permissions:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

OnboardingView::PageText OnboardingView::text(Step step) {
    switch (step) {
    case Step::welcome:
        return {
            QStringLiteral("Welcome"), QStringLiteral("The notch, put to work"),
            QStringLiteral("Volume, brightness, what's playing, devices connecting, files you're carrying "
                           "between apps — all of it surfaces where you're already looking.")};
    case Step::gestures:
        return {QStringLiteral("Step 2 — Gestures"), QStringLiteral("Four gestures, that's all"),
                QStringLiteral(
                    "Swipe across to change track. Swipe down to open, up to hide. Click for the Desk. "
                    "Drag files on to keep them. Try them now — VeskNotch is already running.")};
    case Step::media:
        return {QStringLiteral("Step 3 — Media"), QStringLiteral("What's playing, from any app"),
                QStringLiteral(
                    "Music, Spotify, a browser tab. VeskNotch reads the same now-playing information your "
                    "desktop uses, so it works everywhere without asking each app.")};
    case Step::permissions:
        // Nothing on this page can be granted here: each row says whether it works.
        return {
            QStringLiteral("Step 4 — Permissions"), QStringLiteral("Two things to check"),
            QStringLiteral("Only two are worth checking now. Everything else VeskNotch checks the first time "
                           "you use the feature that needs it.")};
    case Step::desk:
        return {QStringLiteral("Step 5 — The Desk"), QStringLiteral("A drawer behind the notch"),
                QStringLiteral(
                    "Click the notch and it opens. Your media player and a file tray live there — more "
                    "widgets are on the way.")};
    }
    return {};
}

OnboardingView::OnboardingView(OnboardingModel& model, std::function<void()> onFinish,
                               std::function<void(Permission)> onOpenSettings, QWidget* parent)
    : QWidget(parent), m_model(model), m_onFinish(std::move(onFinish)),
      m_onOpenSettings(std::move(onOpenSettings)), m_scroll(new QScrollArea(this)),
      m_dotPosition(new MotionAnimator(QVariant(double(model.step())), this)),
      m_pageOpacity(new MotionAnimator(QVariant(1.0), this)) {
    setAutoFillBackground(true);
    QPalette ground = palette();
    ground.setColor(QPalette::Window, Vesk::Ink::x950);
    setPalette(ground);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setStyleSheet(darkScrollBarStyle(QStringLiteral("QScrollArea")));
    m_scroll->viewport()->setAutoFillBackground(false);
    column->addWidget(m_scroll, 1);

    auto* footer = new Footer(this);
    auto* bar = new QHBoxLayout(footer);
    bar->setContentsMargins(32, 20, 32, 20);
    bar->setSpacing(14);
    m_dots = new ProgressDots(m_dotPosition, footer);
    bar->addWidget(m_dots, 0, Qt::AlignVCenter);
    bar->addStretch(1);
    m_back = new PlainTextButton(QStringLiteral("Back"), onboardingType::button(), Vesk::Stone::x400, footer);
    m_back->setObjectName(QStringLiteral("back"));
    bar->addWidget(m_back, 0, Qt::AlignVCenter);
    m_primary = new AccentButton(QStringLiteral("Continue"), footer);
    m_primary->setObjectName(QStringLiteral("primary"));
    bar->addWidget(m_primary, 0, Qt::AlignVCenter);
    column->addWidget(footer);

    connect(m_back, &QAbstractButton::clicked, this, [this] { m_model.back(); });
    connect(m_primary, &QAbstractButton::clicked, this, &OnboardingView::primaryPressed);
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, m_primary, &QAbstractButton::click);
    }
    connect(m_dotPosition, &MotionAnimator::valueChanged, m_dots, qOverload<>(&QWidget::update));
    connect(m_pageOpacity, &MotionAnimator::valueChanged, this, [this](const QVariant& value) {
        if (!m_page) return;
        auto* effect = qobject_cast<QGraphicsOpacityEffect*>(m_page->graphicsEffect());
        if (effect) effect->setOpacity(value.toDouble());
    });
    connect(m_pageOpacity, &MotionAnimator::finished, this, [this] {
        // Fully shown: the page draws straight again.
        if (m_page) m_page->setGraphicsEffect(nullptr);
    });

    connect(&m_model, &OnboardingModel::stepChanged, this, [this] {
        moveTo(m_dotPosition, double(m_model.step()), dotsMotion);
        buildPage();
        updateFooter();
    });
    connect(&m_model, &OnboardingModel::permissionStateChanged, this, &OnboardingView::buildPermissionBlock);
    connect(&m_model, &OnboardingModel::stuckPermissionChanged, this, &OnboardingView::buildPermissionBlock);
    buildPage();
    updateFooter();
}

void OnboardingView::buildPage() {
    const Step step = m_model.step();
    auto* page = new QWidget;
    page->setAutoFillBackground(false);
    m_pageColumn = new QVBoxLayout(page);
    m_pageColumn->setContentsMargins(48, 34, 48, 28);
    m_pageColumn->setSpacing(0);
    m_demo = nullptr;
    if (const auto script = demoFor(step)) {
        m_demo = new NotchDemo(*script);
        m_demo->setObjectName(QStringLiteral("demo"));
        m_pageColumn->addWidget(m_demo);
        m_pageColumn->addSpacing(26);
    }
    const PageText words = text(step);
    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(9);
    auto* eyebrow = new TextView(words.eyebrow.toUpper(), onboardingType::eyebrow(), Vesk::Stone::x400);
    eyebrow->setTracking(1.4);
    textColumn->addWidget(eyebrow);
    auto* title = new TextView(words.title, onboardingType::title(), Vesk::Stone::x100);
    title->setTracking(-0.4);
    title->setObjectName(QStringLiteral("title"));
    textColumn->addWidget(title);
    auto* paragraph = new TextView(words.paragraph, onboardingType::body(), Vesk::Stone::x300);
    paragraph->setWrapping(true, 470);
    paragraph->setLineSpacing(3);
    paragraph->setObjectName(QStringLiteral("paragraph"));
    textColumn->addWidget(paragraph, 0, Qt::AlignLeft);
    m_pageColumn->addLayout(textColumn);
    m_permissionBlock = nullptr;
    if (step == Step::media) {
        m_pageColumn->addSpacing(20);
        m_pageColumn->addWidget(
            new Note(QStringLiteral("VeskNotch bundles a small helper that reads players through "
                                    "MPRIS, the interface Linux media players and browsers "
                                    "publish; a player without it is not shown.")));
    }
    if (step == Step::permissions) m_pageColumn->addSpacing(22);
    m_pageColumn->addStretch(1);

    QWidget* old = m_scroll->takeWidget();
    if (old) old->deleteLater();
    m_page = page;
    m_scroll->setWidget(page);
    page->setAutoFillBackground(false);
    if (step == Step::permissions) buildPermissionBlock();

    // The new page fades in.
    if (!ReduceMotion::shared().isOn()) {
        auto* effect = new QGraphicsOpacityEffect(page);
        effect->setOpacity(0);
        page->setGraphicsEffect(effect);
        m_pageOpacity->setValue(0.0);
        m_pageOpacity->animateTo(1.0, pageMotion);
    }
}

void OnboardingView::buildPermissionBlock() {
    if (m_model.step() != Step::permissions || !m_pageColumn || !m_page) return;
    if (m_permissionBlock) {
        // Later: the block may hold the button whose click got here.
        m_pageColumn->removeWidget(m_permissionBlock);
        m_permissionBlock->hide();
        m_permissionBlock->deleteLater();
    }
    auto* block = new QWidget;
    auto* rows = new QVBoxLayout(block);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(9);
    for (Permission permission : {Permission::inputMonitoring, Permission::bluetooth}) {
        rows->addWidget(new PermissionRow(
            permission, m_model.state(permission), [this, permission] { m_model.request(permission); },
            [this, permission] {
                if (m_onOpenSettings) m_onOpenSettings(permission);
            },
            m_model.permissions().isUnavailable(permission)));
    }
    if (const auto stuck = m_model.stuckPermission()) {
        const Permission permission = *stuck;
        rows->addWidget(new StuckHelp(
            permission, [this] { m_model.setStuckPermission(std::nullopt); },
            [this, permission] {
                if (m_onOpenSettings) m_onOpenSettings(permission);
            }));
    }
    m_permissionBlock = block;
    // Above the closing stretch.
    m_pageColumn->insertWidget(m_pageColumn->count() - 1, block);
}

QList<PermissionRow*> OnboardingView::permissionRows() const {
    return m_permissionBlock ? m_permissionBlock->findChildren<PermissionRow*>() : QList<PermissionRow*>();
}

StuckHelp* OnboardingView::stuckHelp() const {
    return m_permissionBlock ? m_permissionBlock->findChild<StuckHelp*>() : nullptr;
}

void OnboardingView::updateFooter() {
    const bool last = m_model.step() == Step::desk;
    m_back->setVisible(m_model.step() != Step::welcome);
    m_primary->setText(last ? QStringLiteral("Start using VeskNotch") : QStringLiteral("Continue"));
    m_primary->updateGeometry();
}

void OnboardingView::primaryPressed() {
    if (m_model.step() == Step::desk) {
        if (m_onFinish) m_onFinish();
        return;
    }
    m_model.advance();
}

} // namespace vesk
