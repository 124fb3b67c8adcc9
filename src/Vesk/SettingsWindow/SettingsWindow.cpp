#include "Vesk/SettingsWindow/SettingsWindow.h"

#include "Vesk/SettingsWindow/SettingsRootView.h"
#include "Vesk/SettingsWindow/WindowFrame.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskPlatform/Screens/Panel/DarkTitleBar.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace vesk {

namespace {

QPalette darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, Vesk::Ink::x950);
    palette.setColor(QPalette::WindowText, Vesk::Stone::x100);
    palette.setColor(QPalette::Base, Vesk::Ink::x850);
    palette.setColor(QPalette::AlternateBase, Vesk::Ink::x800);
    palette.setColor(QPalette::Text, Vesk::Stone::x100);
    palette.setColor(QPalette::Button, Vesk::Ink::x800);
    palette.setColor(QPalette::ButtonText, Vesk::Stone::x100);
    palette.setColor(QPalette::Highlight, Vesk::Accent::x500);
    palette.setColor(QPalette::HighlightedText, Vesk::Accent::on);
    palette.setColor(QPalette::PlaceholderText, Vesk::Stone::x400);
    palette.setColor(QPalette::ToolTipBase, Vesk::Ink::x800);
    palette.setColor(QPalette::ToolTipText, Vesk::Stone::x100);
    return palette;
}

QRect openingFrame(const std::optional<QRect>& saved, QSize minimum) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect available = primary ? primary->availableGeometry() : QRect(0, 0, 1280, 800);
    return windowFrame::place(saved, SettingsWindow::contentSize, minimum, available, screens);
}

} // namespace

SettingsPane initialSettingsPane() {
    return fromRaw<SettingsPane>(qEnvironmentVariable("VESK_SETTINGS")).value_or(SettingsPane::general);
}

SettingsWindow::SettingsWindow(SettingsStore& settings, UserDefaults& defaults, ActivationHolds* holds,
                               SettingsWindowEnvironment environment, SettingsPane selection,
                               SettingsPaneFactory factory, QWidget* parent)
    : QWidget(parent, Qt::Window), m_defaults(defaults), m_holds(holds),
      m_root(new SettingsRootView(settings, std::move(environment), selection, std::move(factory), this)) {
    setWindowTitle(QStringLiteral("VeskNotch Settings"));
    setPalette(darkPalette());
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_root);
    setMinimumSize(SettingsRootView::minimumWidth, SettingsRootView::minimumHeight);

    const auto saved = windowFrame::parse(m_defaults.string(frameKey).value_or(QString()));
    setGeometry(openingFrame(saved, minimumSize()));
    winId();
    setDarkThemeVariant(windowHandle());
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::present() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool SettingsWindow::event(QEvent* event) {
    // Coming back to the window may follow a permission granted elsewhere.
    if (event->type() == QEvent::WindowActivate) m_root->refreshPaneInputs();
    return QWidget::event(event);
}

void SettingsWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible()) saveFrame();
}

void SettingsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) saveFrame();
}

void SettingsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_holds && !m_hold.isHeld()) m_hold = m_holds->holdRegular();
}

void SettingsWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    saveFrame();
    // A minimised window keeps its taskbar entry, the way back to it.
    if (!event->spontaneous()) m_hold.release();
}

void SettingsWindow::saveFrame() {
    const QRect frame = (isMaximized() || isFullScreen()) ? normalGeometry() : geometry();
    if (!frame.isValid()) return;
    const QString text = windowFrame::format(frame);
    if (m_defaults.string(frameKey) == text) return;
    m_defaults.setString(frameKey, text);
}

} // namespace vesk
