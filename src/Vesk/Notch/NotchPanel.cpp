#include "Vesk/Notch/NotchPanel.h"

#include "Vesk/Notch/NotchBackdropPanel.h"
#include "Vesk/Notch/NotchHostingView.h"
#include "Vesk/Notch/NotchSurfaceView.h"
#include "VeskPlatform/Screens/Panel/CompositorWatch.h"
#include "VeskPlatform/Screens/Panel/InputShape.h"
#include "VeskPlatform/Screens/Panel/WorkspaceHints.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

// The room the canvas leaves around the drawn outline: the flares' 6 points on each
// side and the 6 points of slack below.
constexpr double canvasSideSlack = 12;
constexpr double canvasBottomSlack = 6;

// A raised window goes above every other, our open menus included; they go back on top,
// the one in use last, so a menu opened from the notch is never drawn under it.
void raiseOpenPopups() {
    QWidget* active = QApplication::activePopupWidget();
    if (!active) return;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != active && window->isVisible() && window->windowType() == Qt::Popup) window->raise();
    active->raise();
}

} // namespace

NotchPanel::NotchPanel(QScreen* screen, const QSizeF& startSize, CompositorWatch* compositor)
    : QWidget(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_host(new NotchHostingView(this)), m_backdrop(std::make_unique<NotchBackdropPanel>()),
      m_compositor(compositor ? compositor : &CompositorWatch::system()), m_currentCanvas(startSize),
      m_drawnCanvas(startSize) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setWindowTitle(QStringLiteral("VeskNotch"));
    if (screen) {
        setScreen(screen);
        m_backdrop->setScreen(screen);
    }
    const QRect screenFrame = screen ? screen->geometry() : QRect();
    setGeometry(screenFrame.x(), screenFrame.y(), contentSize.width(), contentSize.height());
    m_host->setGeometry(rect());
    winId();
    applyWorkspaceHints(windowHandle());

    connect(m_host, &NotchHostingView::regionsChanged, this, &NotchPanel::applyRegions);
    connect(m_compositor, &CompositorWatch::activeChanged, this, &NotchPanel::compositorChanged);
    applyRegions();
}

NotchPanel::~NotchPanel() = default;

bool NotchPanel::compositing() const {
    return m_compositor->isActive();
}

QScreen* NotchPanel::displayScreen() const {
    if (QScreen* own = screen()) return own;
    return QGuiApplication::primaryScreen();
}

void NotchPanel::setLevel(Level level) {
    if (level == m_level) return;
    m_level = level;
    if (level == Level::drag) {
        if (m_backdrop->isVisible()) m_backdrop->raise();
        raiseWindow();
    }
}

void NotchPanel::takeKeyboardFocus() {
    if (!isActiveWindow()) m_focusReturn.remember();
    if (QWindow* window = windowHandle()) window->setFlag(Qt::WindowDoesNotAcceptFocus, false);
    setAttribute(Qt::WA_X11DoNotAcceptFocus, false);
    raiseWindow();
    activateWindow();
}

void NotchPanel::resignKeyboardFocus() {
    if (QWidget* focused = focusWidget()) focused->clearFocus();
    if (QWindow* window = windowHandle()) {
        m_focusReturn.giveBack(window);
        window->setFlag(Qt::WindowDoesNotAcceptFocus, true);
    }
    setAttribute(Qt::WA_X11DoNotAcceptFocus, true);
}

QRectF NotchPanel::backdropShape() const {
    const double w = std::max(m_drawnCanvas.width() - canvasSideSlack, 1.0);
    const double h = std::max(m_drawnCanvas.height() - canvasBottomSlack, 1.0);
    const QRect frame = geometry();
    return QRectF(frame.x() + frame.width() / 2.0 - w / 2, frame.y(), w, h);
}

void NotchPanel::syncBackdrop() {
    QScreen* screen = displayScreen();
    // Without a compositor the shadow would be an opaque black slab.
    if (!m_backdropEnabled || !m_backdropWantedByState || !screen || !compositing()) {
        m_backdrop->hide();
        return;
    }
    m_backdrop->follow(backdropShape(), Vesk::Radius::notchTop, m_drawnBottomRadius, screen);
    // One step below the panel: the backdrop to the front, then the panel above it.
    m_backdrop->show();
    m_backdrop->raise();
    raiseWindow();
}

void NotchPanel::raiseWindow() {
    raise();
    raiseOpenPopups();
}

void NotchPanel::hideBackdrop() {
    m_backdrop->hide();
}

void NotchPanel::setBackdropWantedByState(bool wanted) {
    if (wanted == m_backdropWantedByState) return;
    m_backdropWantedByState = wanted;
    if (!wanted) {
        m_backdrop->hide();
        m_backdrop->setAlpha(1);
        return;
    }
    m_backdrop->setAlpha(0);
    syncBackdrop();
    m_backdrop->fadeIn();
}

void NotchPanel::setFrame(const QRectF& frame) {
    setGeometry(QRect(qRound(frame.x()), qRound(frame.y()), qRound(frame.width()), qRound(frame.height())));
    // A hidden window gets its resize event only when shown; the regions need the size now.
    m_host->setGeometry(rect());
}

void NotchPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_host->setGeometry(rect());
}

void NotchPanel::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    // The pointer left the window. Qt tells the widget that last had it, or the window
    // alone when that widget is gone (the Desk's content as the Desk closes).
    if (NotchSurfaceView* root = m_host->rootView()) root->judgePointer();
}

bool NotchPanel::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // Qt made a new native window (moved to another screen, say): hints and shapes
    // belong to the old one.
    if (event->type() == QEvent::WinIdChange && windowHandle()) {
        applyWorkspaceHints(windowHandle());
        applyRegions();
    }
    return handled;
}

void NotchPanel::applyRegions() {
    m_inputRegion = m_host->liveRegion().translated(m_host->pos());
    if (compositing()) {
        if (!mask().isEmpty()) clearMask();
    } else {
        // Clipping the window clips its input too: without a compositor the armed drop
        // area beside the notch cannot take a drag before it reaches the drawn shape.
        QRegion visible = m_host->visibleRegion().translated(m_host->pos());
        // An empty mask means no mask at all; a pixel outside the window shows nothing.
        if (visible.isEmpty()) visible = QRegion(-1, -1, 1, 1);
        if (visible != mask()) setMask(visible);
    }
    setInputShape(windowHandle(), m_inputRegion);
}

void NotchPanel::compositorChanged() {
    applyRegions();
    syncBackdrop();
    m_host->update();
}

} // namespace vesk
