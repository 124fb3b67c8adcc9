#pragma once

#include "Vesk/Desk/DeskEnvironment.h"
#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Foundation/Scheduler.h"

#include <QWidget>

#include <functional>
#include <vector>

namespace vesk {

// The base of every widget of the desk's row. A widget is built once per desk tab and
// fed new inputs through its setters; it learns when it comes on screen and goes off
// it through appeared() and disappeared(), called once per showing (the desk calls
// disappeared() itself before it is deleted while shown). Clocks and cameras start and
// stop there, through the environment's clock and scheduler.
//
// Focus: a widget never takes the keyboard on its own. Text fields use Qt::ClickFocus,
// buttons and rows Qt::NoFocus, so activating the panel focuses nothing. Escape and
// Ctrl+V belong to the window controller's key filter.
class DeskWidget : public QWidget {
    Q_OBJECT

public:
    DeskWidget(const DeskEnvironment& environment, QWidget* parent = nullptr);
    ~DeskWidget() override;

    bool isOnScreen() const { return m_onScreen; }
    const DeskEnvironment& environment() const { return m_environment; }
    Date now() const;

    // Ends the showing now if there is one; the desk calls it before deleting its widgets.
    void endAppearance();

protected:
    virtual void appeared() {}
    virtual void disappeared() {}

    // Runs `tick` every `interval` seconds while on screen, from the next appearance
    // (or now, when on screen already) until the widget goes off screen.
    void repeatWhileOnScreen(double interval, std::function<void()> tick);

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Repeat {
        double interval;
        std::function<void()> tick;
        TaskHandle handle;
    };

    void start(Repeat& repeat);

    const DeskEnvironment& m_environment;
    bool m_onScreen = false;
    std::vector<Repeat> m_repeats;
};

} // namespace vesk
