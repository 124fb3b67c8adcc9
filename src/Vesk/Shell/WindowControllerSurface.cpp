#include "Vesk/Shell/WindowControllerSurface.h"

#include "Vesk/Screens/NotchWindowController.h"

#include <QMenu>

namespace vesk {

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

void WindowControllerSurface::setSourcingDrag(bool sourcing) {
    m_controller->setSourcingDrag(sourcing);
}

QString WindowControllerSurface::geometryReport() const {
    return m_controller->geometryReport();
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
        // Deleted once the chosen action has run, when control is back in the event loop.
        if (menu) QObject::connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
        return menu;
    });
}

WeatherProvider* WindowControllerSurface::weatherProvider() {
    return &m_controller->weatherProvider();
}

} // namespace vesk
