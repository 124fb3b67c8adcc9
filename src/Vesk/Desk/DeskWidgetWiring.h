#pragma once

#include "Vesk/Desk/DeskEnvironment.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "VeskKit/Widgets/WidgetID.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace vesk {

class DeskWidget;

// Where the desk's widgets meet the rest of the program: one function per widget builds
// the widget once for the desk tab, feeds it its inputs from the view model, the
// repository and the services (again on every change signal), and binds its actions.
// Actions hold the model weakly and look services up on it when they run, so a service
// handed over later is used and one taken away is not. A function that returns null
// leaves an empty slot in the row, keeping its width and divider; the row asks again
// whenever the model's desk services change.
class DeskWidgetWiring {
public:
    struct Context {
        NotchViewModel& model;
        const DeskEnvironment& environment;
        QWidget* parent;
    };
    using Builder = std::function<DeskWidget*(WidgetID, const Context&)>;

    static DeskWidget* build(WidgetID id, const Context& context);

    // ---- Shared by the wiring functions

    // Asks the shell to open the settings window, then (when given) to show a pane:
    // veskOpenShortcuts or veskOpenQuickApps.
    static void openSettings(const QString& paneNotification = {});

    // The three steps after an edit of a store's list: without the store the model's
    // list becomes empty; with it the edit runs and the store's new list is written.
    template <typename Store, typename Edit, typename Read, typename Write>
    static void refreshAfterEdit(Store* store, Edit&& edit, Read&& read, Write&& write) {
        if (!store) {
            write({});
            return;
        }
        edit(*store);
        write(read(*store));
    }

    // Runs `push` now, after each of the model's `signals`, and whenever the model's
    // desk services change. The connections end with `widget`.
    template <typename... Signals>
    static void pushOn(NotchViewModel& model, QWidget* widget, const std::function<void()>& push,
                       Signals... signals) {
        push();
        const auto run = [push] { push(); };
        QObject::connect(&model, &NotchViewModel::deskServicesChanged, widget, run);
        (QObject::connect(&model, signals, widget, run), ...);
    }

    // Runs `push` now and on `signal` of the service `current` returns, following the
    // model to each new service (or none) when its desk services change.
    template <typename Service, typename Signal>
    static void followService(NotchViewModel& model, QWidget* widget, std::function<Service*()> current,
                              Signal signal, const std::function<void()>& push) {
        auto connection = std::make_shared<QMetaObject::Connection>();
        const QPointer<QWidget> target(widget);
        const auto rewire = [connection, target, current, signal, push] {
            QObject::disconnect(*connection);
            if (!target) return;
            if (Service* service = current())
                *connection = QObject::connect(service, signal, target.data(), [push] { push(); });
            push();
        };
        rewire();
        QObject::connect(&model, &NotchViewModel::deskServicesChanged, widget, rewire);
    }

private:
    // One per widget, in the order of WidgetID.
    static DeskWidget* media(const Context& context);
    static DeskWidget* calendar(const Context& context);
    static DeskWidget* todos(const Context& context);
    static DeskWidget* timer(const Context& context);
    static DeskWidget* notes(const Context& context);
    static DeskWidget* shortcuts(const Context& context);
    static DeskWidget* mirror(const Context& context);
    static DeskWidget* quickApps(const Context& context);
    static DeskWidget* weather(const Context& context);
    static DeskWidget* clipboard(const Context& context);
    static DeskWidget* audioDevice(const Context& context);
};

} // namespace vesk
