#pragma once

#include "Vesk/Notch/NotchDisplay.h"
#include "Vesk/Notch/NotchGeometry.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Pipeline/PipelineID.h"
#include "VeskServices/Tray/TrayItem.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QUrl>

#include <functional>
#include <optional>

namespace vesk {

class DragWatch;
class Sharing;
class SettingsStore;
class TrayStore;

// File drags over the notch: arms every display's panel while a drag is under way
// (raised above everything and enlarged into a drop area), splits the notch the drag
// enters into lanes, and routes the drop to the lane under the pointer. Part of the
// window controller; main thread only.
class NotchDragRouter : public QObject {
    Q_OBJECT

public:
    struct Environment {
        DragWatch* dragWatch = nullptr;
        // AirDrop; the system's when null.
        Sharing* sharing = nullptr;
        // Whether the Alt key is held now (it inverts trayMoveOnDrop); the keyboard's when empty.
        std::function<bool()> altHeld;
    };

    // A drag closer than this to the top of the primary screen arms the notch.
    static constexpr double dragProximity = 260;
    // The armed drop area: the notch width plus this, by armedHeight.
    static constexpr double armedExtraWidth = 560;
    static constexpr double armedHeight = 190;
    static constexpr double restingDropHeight = 120;
    // The longest a disarm waits for a drag that is over a notch to drop or leave.
    static constexpr double disarmGrace = 1.0;

    // `displays` lists the current displays; `trayStore`, `settings` and the watch must
    // outlive the router.
    NotchDragRouter(SettingsStore& settings, TrayStore& trayStore, Environment environment,
                    std::function<QList<NotchDisplay>()> displays, QObject* parent = nullptr);
    ~NotchDragRouter() override;

    bool isArmed() const { return m_armed; }
    // Called by the heartbeat: arms when a drag started with the left button down,
    // disarms once the button is up.
    void pollDragPasteboard();
    int startDragMonitors();
    void stopDragMonitors();
    void setArmed(bool armed);
    void setSourcingDrag(bool sourcing);
    // Gives a display built while armed the armed panel, and installs its drag callbacks.
    void attach(const NotchDisplay& display);

    std::function<void(const QList<TrayItem>&)> onFilesDropped;
    // The folder pipelines write into, made when asked; without it drops on pipeline
    // lanes go to the tray.
    std::function<QString()> pipelineOutputDirectory;

    // What the hosting view's callbacks do, for a display's model and host.
    void dragEntered(const NotchDisplay& display, const QList<QUrl>& urls);
    void dragMoved(const NotchDisplay& display, const QPointF& point);
    void dragExited(const NotchDisplay& display);
    bool drop(const NotchDisplay& display, const QList<QUrl>& urls, const QPointF& point);

    // The window's size while armed, on a display of `geometry`.
    static QSizeF armedCanvas(const NotchGeometry& geometry);

private:
    void applyArming(const NotchDisplay& display);
    void keepArmedDropArea(const NotchDisplay& display);
    std::optional<int> laneAt(const NotchDisplay& display, double x, double hostWidth) const;
    void clearDrag(const NotchDisplay& display);
    void dragEnded();
    void publishTrayItems();
    bool altHeld() const;
    bool runPipeline(const NotchDisplay& display, PipelineID id, const QList<QUrl>& urls);

    SettingsStore& m_settings;
    TrayStore& m_trayStore;
    Environment m_environment;
    std::function<QList<NotchDisplay>()> m_displays;
    qint64 m_lastChangeCount = 0;
    bool m_armed = false;
    bool m_monitoring = false;
    bool m_sourcing = false;
    // A drag is over one of our notches: disarming waits for its drop or exit, which
    // X11 delivers after the button's release.
    bool m_dragInside = false;
    bool m_disarmPending = false;
    TaskHandle m_forcedDisarm;
};

} // namespace vesk
