#include "Vesk/Shell/WindowControllerSurface.h"

#include "Vesk/Notch/NotchPanel.h"
#include "Vesk/Screens/NotchWindowController.h"
#include "VeskKit/Foundation/Scheduler.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>

namespace vesk {

namespace {

// A window that the server never exposes still lets the work behind it run.
constexpr double firstPaintPatience = 0.5;

// Waits for the first paint of any widget in the given windows, then runs the work once,
// after the frame is flushed, and deletes itself.
class FirstPaintWatch final : public QObject {
public:
    FirstPaintWatch(QList<QPointer<QWidget>> windows, std::function<void()> then)
        : m_windows(std::move(windows)), m_then(std::move(then)) {
        qApp->installEventFilter(this);
        const QPointer<FirstPaintWatch> self(this);
        m_patience = onMainAfter(firstPaintPatience, [self] {
            if (self) self->finish();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            m_windows.contains(static_cast<QWidget*>(watched)->window())) {
            // Posted: the frame reaches the screen when this paint pass ends.
            qApp->removeEventFilter(this);
            const QPointer<FirstPaintWatch> self(this);
            onMain([self] {
                if (self) self->finish();
            });
        }
        return false;
    }

private:
    void finish() {
        qApp->removeEventFilter(this);
        m_patience.cancel();
        if (std::function<void()> then = std::exchange(m_then, {})) then();
        deleteLater();
    }

    QList<QPointer<QWidget>> m_windows;
    std::function<void()> m_then;
    TaskHandle m_patience;
};

} // namespace

WindowControllerSurface::WindowControllerSurface(std::unique_ptr<NotchWindowController> controller)
    : m_controller(std::move(controller)) {}

WindowControllerSurface::~WindowControllerSurface() = default;

NotchViewModel* WindowControllerSurface::activeModel() const {
    return m_controller->activeModel();
}

QList<NotchViewModel*> WindowControllerSurface::models() const {
    QList<NotchViewModel*> models;
    for (const NotchDisplay& display : m_controller->displays())
        if (display.model) models.append(display.model.data());
    return models;
}

TrayStore* WindowControllerSurface::trayStore() const {
    return &m_controller->trayStore();
}

DeskRepository* WindowControllerSurface::repository() const {
    return m_controller->repository();
}

void WindowControllerSurface::setRepository(DeskRepository* repository) {
    m_controller->setRepository(repository);
}

void WindowControllerSurface::pollDragPasteboard() {
    m_controller->pollDragPasteboard();
}

void WindowControllerSurface::pollClipboard(bool enabled, int maxItems, bool persists) {
    m_controller->pollClipboard(enabled, maxItems, persists);
}

ClipboardService* WindowControllerSurface::clipboardService() const {
    return &m_controller->clipboardService();
}

void WindowControllerSurface::startDragMonitors() {
    m_controller->startDragMonitors();
}

void WindowControllerSurface::stopDragMonitors() {
    m_controller->stopDragMonitors();
}

bool WindowControllerSurface::writeWaiting() {
    return m_controller->writeWaiting();
}

void WindowControllerSurface::setSourcingDrag(bool sourcing) {
    m_controller->setSourcingDrag(sourcing);
}

QString WindowControllerSurface::geometryReport() const {
    return m_controller->geometryReport();
}

void WindowControllerSurface::afterFirstPaint(std::function<void()> then) {
    QList<QPointer<QWidget>> shown;
    for (const NotchDisplay& display : m_controller->displays())
        if (display.panel && display.panel->isVisible()) shown.append(display.panel.data());
    if (shown.isEmpty()) {
        then();
        return;
    }
    new FirstPaintWatch(std::move(shown), std::move(then));
}

void WindowControllerSurface::setOnFilesDropped(std::function<void(const QList<TrayItem>&)> handler) {
    m_controller->setOnFilesDropped(std::move(handler));
}

void WindowControllerSurface::setOnModelCreated(std::function<void(NotchViewModel&)> handler) {
    m_controller->setOnModelCreated(std::move(handler));
}

void WindowControllerSurface::setContextMenuProvider(ContextMenuProvider provider) {
    if (!provider) {
        m_controller->setContextMenuProvider(nullptr);
        return;
    }
    m_controller->setContextMenuProvider([provider = std::move(provider)]() -> QMenu* {
        QMenu* menu = provider().release();
        // Deleted once it hid and its own handling of the click or key is over. The chosen
        // entry's action runs after that and never needs the menu; nothing runs a loop of
        // its own inside the menu's handlers, where the deletion could come too early.
        if (menu) QObject::connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
        return menu;
    });
}

WeatherProvider* WindowControllerSurface::weatherProvider() {
    return &m_controller->weatherProvider();
}

} // namespace vesk
