#include "Vesk/Onboarding/OnboardingWindow.h"

#include "Vesk/Onboarding/OnboardingModel.h"
#include "Vesk/Onboarding/OnboardingView.h"
#include "Vesk/Permissions/Permissions.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace vesk {

OnboardingWindow::OnboardingWindow(SettingsStore& settings, Permissions& permissions, ActivationHolds* holds,
                                   std::function<void()> onFinish, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_model(new OnboardingModel(settings, permissions, this)), m_view(nullptr), m_holds(holds) {
    m_model->refreshPermissions();
    QWidget* self = this;
    m_view = new OnboardingView(*m_model, std::move(onFinish), [&permissions, self](Permission permission) {
        permissions.openSettings(permission, self);
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setWindowTitle(QString());
    setFixedSize(windowSize);
    QPalette ground = palette();
    ground.setColor(QPalette::Window, Vesk::Ink::x950);
    setPalette(ground);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(windowSize.width() / 2, windowSize.height() / 2));
    }
    // Back from the desktop's settings: the rows show what changed there.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) m_model->refreshPermissions();
    });
}

OnboardingWindow::~OnboardingWindow() = default;

void OnboardingWindow::present() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void OnboardingWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_holds && !m_hold.isHeld()) m_hold = m_holds->holdRegular();
    m_model->refreshPermissions();
}

void OnboardingWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A minimised window keeps its taskbar entry.
    if (!event->spontaneous()) m_hold.release();
}

} // namespace vesk
