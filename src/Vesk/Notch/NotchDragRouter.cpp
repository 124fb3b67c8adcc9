#include "Vesk/Notch/NotchDragRouter.h"

#include "Vesk/Notch/NotchHostingView.h"
#include "Vesk/Notch/NotchPanel.h"
#include "Vesk/Notch/NotchSizing.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/DragWatch/DragWatch.h"
#include "VeskPlatform/Sharing/Sharing.h"
#include "VeskServices/Pipelines/OutputRemoval.h"
#include "VeskServices/Pipelines/PipelineRunner.h"
#include "VeskServices/Tray/TrayStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThreadPool>

#include <algorithm>

namespace vesk {

NotchHostingView* NotchDisplay::host() const {
    return panel ? panel->hostingView() : nullptr;
}

NotchDragRouter::NotchDragRouter(SettingsStore& settings, TrayStore& trayStore, Environment environment,
                                 std::function<QList<NotchDisplay>()> displays, QObject* parent)
    : QObject(parent), m_settings(settings), m_trayStore(trayStore), m_environment(std::move(environment)),
      m_displays(std::move(displays)) {
    m_lastChangeCount = m_environment.dragWatch->changeCount();
    connect(m_environment.dragWatch, &DragWatch::leftMouseDragged, this, [this](QPointF position) {
        if (!m_monitoring) return;
        // Only the distance from the top counts: the drag may be on any screen.
        const QScreen* primary = QGuiApplication::primaryScreen();
        if (primary && position.y() - primary->geometry().top() < dragProximity) setArmed(true);
    });
    connect(m_environment.dragWatch, &DragWatch::leftMouseUp, this, [this] {
        if (m_monitoring) setArmed(false);
    });
}

NotchDragRouter::~NotchDragRouter() {
    m_forcedDisarm.cancel();
}

void NotchDragRouter::pollDragPasteboard() {
    DragWatch& watch = *m_environment.dragWatch;
    const qint64 count = watch.changeCount();
    if (count != m_lastChangeCount) {
        m_lastChangeCount = count;
        if (watch.isLeftButtonDown()) setArmed(true);
        return;
    }
    // The button is asked only while armed, so an idle desktop costs no round trip.
    if (m_armed && !watch.isLeftButtonDown()) setArmed(false);
}

int NotchDragRouter::startDragMonitors() {
    stopDragMonitors();
    const int installed = m_environment.dragWatch->startMonitors();
    m_monitoring = installed > 0;
    TraceLog::trace(QStringLiteral("drag monitors installed: ") + QString::number(installed));
    return installed;
}

void NotchDragRouter::stopDragMonitors() {
    if (!m_monitoring) return;
    m_monitoring = false;
    m_environment.dragWatch->stopMonitors();
}

void NotchDragRouter::setArmed(bool armed) {
    if (!armed && m_dragInside) {
        // Disarming shrinks the panel under a drag that has not dropped yet, which
        // would move its drop point; wait for the drop or the exit, but not forever.
        m_disarmPending = true;
        if (!m_forcedDisarm.isValid() || m_forcedDisarm.isCancelled())
            m_forcedDisarm = onMainAfter(disarmGrace, [self = QPointer<NotchDragRouter>(this)] {
                if (!self) return;
                self->m_dragInside = false;
                self->m_disarmPending = false;
                self->setArmed(false);
            });
        return;
    }
    m_disarmPending = false;
    m_forcedDisarm.cancel();
    if (armed == m_armed) return;
    m_armed = armed;
    TraceLog::trace(QStringLiteral("drag armed=") +
                    (armed ? QStringLiteral("true") : QStringLiteral("false")));
    for (const NotchDisplay& display : m_displays())
        applyArming(display);
}

void NotchDragRouter::attach(const NotchDisplay& display) {
    NotchHostingView* host = display.host();
    if (!host) return;
    host->setSourcingDrag(m_sourcing);
    if (m_armed) applyArming(display);
    QPointer<NotchDragRouter> self(this);
    // A desk that closes during a drag leaves the drop area where the drag will enter.
    if (display.model)
        connect(display.model, &NotchViewModel::stateChanged, this, [self, display] {
            if (self) self->keepArmedDropArea(display);
        });
    host->onDragEntered = [self, display](const QList<QUrl>& urls) {
        if (self) self->dragEntered(display, urls);
    };
    host->onDragMoved = [self, display](const QPointF& point) {
        if (self) self->dragMoved(display, point);
    };
    host->onDragExited = [self, display] {
        if (self) self->dragExited(display);
    };
    host->onDrop = [self, display](const QList<QUrl>& urls, const QPointF& point) {
        return self && self->drop(display, urls, point);
    };
}

QSizeF NotchDragRouter::armedCanvas(const NotchGeometry& geometry) {
    return {std::min(geometry.notchSize.width() + armedExtraWidth, geometry.screenFrame.width()),
            armedHeight};
}

void NotchDragRouter::applyArming(const NotchDisplay& display) {
    NotchPanel* panel = display.panel;
    if (!panel) return;
    if (NotchHostingView* host = panel->hostingView()) host->setArmed(m_armed);
    panel->setLevel(m_armed ? NotchPanel::Level::drag : NotchPanel::Level::resting);
    NotchViewModel* model = display.model;
    if (!model) return;
    const NotchGeometry& geometry = model->geometry();
    if (m_armed) {
        // Kept by the model through every state change until disarmed; the open desk is
        // a drop area already and takes it only once it closes.
        model->setArmedCanvas(armedCanvas(geometry));
        keepArmedDropArea(display);
        return;
    }
    model->setArmedCanvas(std::nullopt);
    const QSizeF content = model->contentSize(model->state());
    const bool empty = content.width() == 0 && content.height() == 0;
    const QSizeF canvas = NotchSizing::canvas(content, geometry);
    panel->setCurrentCanvas(canvas);
    panel->setDrawnCanvas(canvas);
    panel->setFrame(NotchSizing::panelFrame(canvas, geometry));
    panel->syncBackdrop();
    const double dropWidth =
        empty ? geometry.notchSize.width() : content.width() + 2 * NotchSizing::sideSlack;
    if (NotchHostingView* host = panel->hostingView())
        host->setDropRectForDrag(QRectF(0, 0, dropWidth, restingDropHeight));
}

void NotchDragRouter::keepArmedDropArea(const NotchDisplay& display) {
    NotchHostingView* host = display.host();
    if (!m_armed || !host || !display.model || display.model->state().isOpen()) return;
    const QSizeF canvas = armedCanvas(display.model->geometry());
    host->setDropRectForDrag(QRectF(QPointF(0, 0), canvas));
}

void NotchDragRouter::setSourcingDrag(bool sourcing) {
    m_sourcing = sourcing;
    for (const NotchDisplay& display : m_displays())
        if (NotchHostingView* host = display.host()) host->setSourcingDrag(sourcing);
}

void NotchDragRouter::dragEntered(const NotchDisplay& display, const QList<QUrl>& urls) {
    if (!display.model) return;
    m_dragInside = true;
    display.model->beginDrag(urls);
    display.model->send(NotchEvent::dragEntered());
}

void NotchDragRouter::dragMoved(const NotchDisplay& display, const QPointF& point) {
    NotchHostingView* host = display.host();
    if (!display.model || !host) return;
    display.model->setHoveredLane(laneAt(display, point.x(), host->width()));
}

void NotchDragRouter::dragExited(const NotchDisplay& display) {
    if (display.model) {
        clearDrag(display);
        display.model->send(NotchEvent::dragExited());
    }
    dragEnded();
}

std::optional<int> NotchDragRouter::laneAt(const NotchDisplay& display, double x, double hostWidth) const {
    // The content is centred in the host.
    const double contentWidth = display.model->contentSize(display.model->state()).width();
    return display.model->lane(x - (hostWidth - contentWidth) / 2, contentWidth);
}

void NotchDragRouter::clearDrag(const NotchDisplay& display) {
    display.model->setDragURLs({});
    display.model->setDragLanes({});
    display.model->setHoveredLane(std::nullopt);
}

void NotchDragRouter::dragEnded() {
    m_dragInside = false;
    if (m_disarmPending) setArmed(false);
}

bool NotchDragRouter::drop(const NotchDisplay& display, const QList<QUrl>& urls, const QPointF& point) {
    // Whatever happens, the drag is over; a disarm that waited for it follows the drop.
    struct EndDrag {
        NotchDragRouter* router;
        ~EndDrag() { router->dragEnded(); }
    } endDrag{this};

    NotchViewModel* model = display.model;
    if (!model) return false;
    if (urls.isEmpty()) {
        // Nothing else would ever leave the drop-target state.
        clearDrag(display);
        model->send(NotchEvent::dragExited());
        return false;
    }

    const NotchHostingView* host = display.host();
    const double hostWidth = host ? host->width() : model->contentSize(model->state()).width();
    const std::optional<int> index = laneAt(display, point.x(), hostWidth);
    const QList<DropLane> lanes = model->dragLanes();
    if (index && *index < lanes.size() && lanes[*index].kind() == DropLane::Kind::airDrop) {
        model->send(NotchEvent::dropped());
        Sharing& sharing = m_environment.sharing ? *m_environment.sharing : Sharing::system();
        sharing.sendViaAirDrop(urls);
        clearDrag(display);
        return true;
    }

    if (index && *index < lanes.size() && lanes[*index].kind() == DropLane::Kind::pipeline &&
        runPipeline(display, *lanes[*index].pipelineID(), urls))
        return true;

    // The shelf, no lane under the point, or a pipeline lane whose pipeline no longer
    // takes these files: they go to the tray.
    const bool move = m_settings.trayMoveOnDrop() != altHeld();
    QPointer<NotchDragRouter> self(this);
    const QList<TrayItem> accepted = m_trayStore.add(urls, move, [self](const QList<TrayItem>& entered) {
        if (self && self->onFilesDropped) self->onFilesDropped(entered);
    });
    if (accepted.isEmpty()) {
        clearDrag(display);
        model->send(NotchEvent::dragExited());
        return false;
    }
    publishTrayItems();
    model->send(NotchEvent::dropped());
    clearDrag(display);
    return true;
}

bool NotchDragRouter::runPipeline(const NotchDisplay& display, PipelineID id, const QList<QUrl>& urls) {
    NotchViewModel* model = display.model;
    PipelineRunner* runner = model->pipelineRunner();
    if (!runner || !pipelineOutputDirectory) return false;
    // Asked again: the order setting may have changed during the drag.
    const QList<PipelinePtr> offered = runner->lanes(urls, m_settings.pipelineOrder());
    const auto pipeline = std::find_if(offered.cbegin(), offered.cend(),
                                       [id](const PipelinePtr& candidate) { return candidate->id() == id; });
    if (pipeline == offered.cend()) return false;
    model->send(NotchEvent::dropped());
    QPointer<NotchDragRouter> self(this);
    const QString folder = pipelineOutputDirectory();
    runner->run(*pipeline, urls, folder, [self, folder](const QList<QUrl>& produced) {
        if (!self || produced.isEmpty()) return;
        // Every model shows the items as they enter (the store says so); the shell
        // announces them, and what did not enter. An output that could not enter is
        // deleted rather than left hidden in the output folder.
        self->m_trayStore.addOutputs(
            produced,
            [self](const QList<TrayItem>& entered) {
                if (self && self->onFilesDropped) self->onFilesDropped(entered);
            },
            [folder](const QString& path, const QString&) {
                QThreadPool::globalInstance()->start([folder, path] {
                    if (!removeOutput(folder, path))
                        TraceLog::trace(QStringLiteral("pipelines: could not delete ") + path);
                });
            });
    });
    clearDrag(display);
    return true;
}

void NotchDragRouter::publishTrayItems() {
    for (const NotchDisplay& display : m_displays())
        if (display.model) display.model->setTrayItems(m_trayStore.items());
}

bool NotchDragRouter::altHeld() const {
    if (m_environment.altHeld) return m_environment.altHeld();
    return QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier;
}

} // namespace vesk
