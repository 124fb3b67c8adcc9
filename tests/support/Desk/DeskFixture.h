#pragma once

#include "Vesk/Desk/DeskEnvironment.h"
#include "Vesk/Desk/DeskView.h"
#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"

#include "support/ManualScheduler.h"

#include <QPainter>
#include <QStringList>

#include <memory>

namespace vesk::test {

// A 180 × 32 camera housing at the top of a 1512-wide screen: its open desk is W = 552
// wide for a row of 270 and 216.
inline NotchGeometry deskHousing() {
    return NotchGeometry{.displayID = 1,
                         .screenFrame = QRectF(0, 0, 1512, 982),
                         .hasHardwareNotch = true,
                         .notchSize = QSizeF(180, 32),
                         .notchOrigin = QPointF(666, 0),
                         .menuBarHeight = 37,
                         .backingScale = 2,
                         .maximumFramesPerSecond = 60};
}

// A tray item that is only a name.
inline TrayItem trayItem(const QString& name) {
    TrayItem item;
    item.id = QUuid::createUuid();
    item.displayName = name;
    return item;
}

// A widget of the row that fills its slot with one colour and writes what happens to it
// ("appeared todos", "disappeared todos") into a shared log.
class StandInWidget final : public DeskWidget {
public:
    StandInWidget(WidgetID id, QColor colour, std::shared_ptr<QStringList> log,
                  const DeskEnvironment& environment, QWidget* parent)
        : DeskWidget(environment, parent), m_id(id), m_colour(colour), m_log(std::move(log)) {}

    WidgetID id() const { return m_id; }

protected:
    void appeared() override { m_log->append(QStringLiteral("appeared ") + toRaw(m_id)); }
    void disappeared() override { m_log->append(QStringLiteral("disappeared ") + toRaw(m_id)); }
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_colour); }

private:
    WidgetID m_id;
    QColor m_colour;
    std::shared_ptr<QStringList> m_log;
};

// A settings store, a view model on deskHousing() and a desk environment on virtual
// time; desks built by desk() use `builder` (stand-ins by default).
class DeskFixture {
public:
    DeskFixture() : settings(*defaults), model(deskHousing(), settings) {
        environment.clock = &scheduler.clock();
        environment.scheduler = &scheduler;
        builder = [this](WidgetID id, const DeskWidgetWiring::Context& context) -> DeskWidget* {
            return new StandInWidget(id, QColor(0x6F, 0x8A, 0x62), log, context.environment, context.parent);
        };
    }

    // Places exactly these widgets (in the default order) and opens the desk on `tab`.
    void open(const WidgetSet& widgets, DeskTab tab = DeskTab::desk) {
        settings.setEnabledWidgets(widgets);
        model.recomputeLayout();
        model.send(NotchEvent::click());
        if (tab == DeskTab::tray) model.send(NotchEvent::selectTab(DeskTab::tray));
    }

    // A shown desk for the model's state, as large as its canvas.
    std::unique_ptr<DeskView> desk(DeskTab tab) {
        auto view = std::make_unique<DeskView>(tab, model, 18, environment, nullptr, builder);
        view->resize(model.contentSize(model.state()).toSize());
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        return view;
    }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings;
    NotchViewModel model;
    ManualScheduler scheduler;
    DeskEnvironment environment;
    std::shared_ptr<QStringList> log = std::make_shared<QStringList>();
    DeskWidgetWiring::Builder builder;
};

} // namespace vesk::test
