#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QMenu;

namespace vesk {

class ClipboardService;
class DeskRepository;
class NotchViewModel;
class NotchWindowController;
class TrayStore;
class WeatherProvider;
struct TrayItem;

// The notch windows as the shell drives them: the window controller in the program,
// a fake in tests. Main thread only.
class NotchSurface {
public:
    using ContextMenuProvider = std::function<std::unique_ptr<QMenu>()>;

    virtual ~NotchSurface() = default;

    // The model of the display under the pointer, else the first one; null when no
    // display has a notch.
    virtual NotchViewModel* activeModel() const = 0;
    // Every display's model, in the controller's order.
    virtual QList<NotchViewModel*> models() const = 0;
    virtual TrayStore* trayStore() const = 0;
    // The synced desk store, handed to every display's model once it is built.
    virtual DeskRepository* repository() const = 0;
    virtual void setRepository(DeskRepository* repository) = 0;

    virtual void pollDragPasteboard() = 0;
    virtual void pollClipboard(bool enabled, int maxItems, bool persists) = 0;
    virtual void startDragMonitors() = 0;
    virtual void stopDragMonitors() = 0;
    // At every ending: writes what the desk services keep because a write failed, and
    // returns once it is written (or cannot be); true when nothing waits any more.
    virtual bool writeWaiting() = 0;
    virtual void setSourcingDrag(bool sourcing) = 0;
    // One block per display, printed once at launch.
    virtual QString geometryReport() const = 0;
    // Runs `then` once, after the notch's first frame is on screen (at once when there
    // is nothing to paint), so that work the first frame does not need waits for it.
    virtual void afterFirstPaint(std::function<void()> then) { then(); }

    // Told of the items a drop on the notch added to the tray.
    virtual void setOnFilesDropped(std::function<void(const QList<TrayItem>&)> handler) = 0;
    // Called at once for every model built so far, then for every model the controller
    // builds (displays attached later).
    virtual void setOnModelCreated(std::function<void(NotchViewModel&)> handler) = 0;
    // Asked for the notch's right-click menu each time one is to be shown; the surface
    // owns the menu it gets and deletes it once it has closed.
    virtual void setContextMenuProvider(ContextMenuProvider provider) = 0;

    // The shared clipboard history; null in tests.
    virtual ClipboardService* clipboardService() const { return nullptr; }
    // The shared weather model (made on first use); null where there is none.
    virtual WeatherProvider* weatherProvider() { return nullptr; }

    // The controller itself, for the windows and menus that need more of it; null in tests.
    virtual NotchWindowController* controller() const { return nullptr; }
};

} // namespace vesk
