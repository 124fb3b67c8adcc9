#pragma once

#include "Vesk/Desk/DeskEnvironment.h"
#include "Vesk/Notch/PipelineBanner.h"

#include <QPointer>
#include <QWidget>

namespace vesk {

class NotchViewModel;

// The tray's three actions for a model. Each reads the model's tray store when it
// runs; an action run after the model is gone does nothing.
TrayActions trayActions(NotchViewModel& model, const DeskEnvironment& environment);

// The tray tab's content: with a tray store, the pipeline banner and below it the list
// of the tray's items that the environment's trayContent builds (blank while there is
// none); without a store, nothing.
class DeskTrayTab final : public QWidget {
    Q_OBJECT

public:
    DeskTrayTab(NotchViewModel& model, const DeskEnvironment& environment, QWidget* parent = nullptr);

    PipelineBanner* banner() const { return m_banner; }
    QWidget* content() const { return m_content.widget; }

private:
    void rebuild();

    NotchViewModel& m_model;
    const DeskEnvironment& m_environment;
    QPointer<PipelineBanner> m_banner;
    TrayContent m_content;
    bool m_hasStore = false;
    bool m_copyByDefault = true;
};

} // namespace vesk
