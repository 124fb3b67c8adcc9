#pragma once

#include "Vesk/Shell/NotchSurface.h"

namespace vesk {

// The notch window controller behind the shell's NotchSurface.
class WindowControllerSurface final : public NotchSurface {
public:
    explicit WindowControllerSurface(std::unique_ptr<NotchWindowController> controller);
    ~WindowControllerSurface() override;

    NotchViewModel* activeModel() const override;
    QList<NotchViewModel*> models() const override;
    TrayStore* trayStore() const override;
    DeskRepository* repository() const override;
    void setRepository(DeskRepository* repository) override;
    void pollDragPasteboard() override;
    void pollClipboard(bool enabled, int maxItems, bool persists) override;
    void startDragMonitors() override;
    void stopDragMonitors() override;
    bool writeWaiting() override;
    void setSourcingDrag(bool sourcing) override;
    QString geometryReport() const override;
    void afterFirstPaint(std::function<void()> then) override;
    void setOnFilesDropped(std::function<void(const QList<TrayItem>&)> handler) override;
    void setOnModelCreated(std::function<void(NotchViewModel&)> handler) override;
    void setContextMenuProvider(ContextMenuProvider provider) override;
    WeatherProvider* weatherProvider() override;
    NotchWindowController* controller() const override { return m_controller.get(); }
    ClipboardService* clipboardService() const override;

private:
    std::unique_ptr<NotchWindowController> m_controller;
};

} // namespace vesk
