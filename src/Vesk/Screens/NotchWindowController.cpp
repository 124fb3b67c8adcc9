#include "Vesk/Screens/NotchWindowController.h"

#include "Vesk/Desk/DeskView.h"
#include "Vesk/Notch/NotchDragRouter.h"
#include "Vesk/Notch/NotchHostingView.h"
#include "Vesk/Notch/NotchPanel.h"
#include "Vesk/Notch/NotchRootView.h"
#include "Vesk/Notch/NotchSizing.h"
#include "Vesk/Notch/ScreenGeometryResolver.h"
#include "Vesk/Tray/TrayWidget.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/DragWatch/DragWatch.h"
#include "VeskPlatform/Input/OutsideClickWatch.h"
#include "VeskPlatform/Pasteboard/SystemPasteboard.h"
#include "VeskPlatform/Power/SleepWatch.h"
#include "VeskPlatform/Screens/Screens.h"
#include "VeskServices/Audio/AudioService.h"
#include "VeskServices/Pipelines/OutputRemoval.h"
#include "VeskSync/DeskRepository.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QKeyEvent>
#include <QScreen>
#include <QSet>
#include <QThreadPool>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vesk {

namespace {

// The shortest decimal form of a length, with at least one fractional digit.
QString length(double value) {
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.'))) text += QStringLiteral(".0");
    return text;
}

QString describe(const NotchState& state) {
    static const char* const names[] = {"peek",   "activity", "activityExpanded", "open",
                                        "hidden", "closed",   "dropTarget"};
    QString text = QLatin1String(names[int(state.kind())]);
    if (const auto payload = state.payload())
        text += QStringLiteral("(") + toRaw(payload->kind) + QStringLiteral(")");
    if (const auto tab = state.tab()) text += QStringLiteral("(") + toRaw(*tab) + QStringLiteral(")");
    return text;
}

QString describe(const QRectF& rect) {
    return QStringLiteral("(%1, %2, %3, %4)")
        .arg(length(rect.x()), length(rect.y()), length(rect.width()), length(rect.height()));
}

// The tray's size from its floating-point setting: truncated and held to the range the
// settings window offers, since a hand-edited value may be anything.
int trayLimit(double stored) {
    constexpr double lowest = 5, highest = 200, fallback = 50;
    if (!std::isfinite(stored)) return int(fallback);
    return int(std::trunc(std::clamp(stored, lowest, highest)));
}

// A text field of ours has the keyboard: it pastes for itself.
bool isTextInput(const QWidget* widget) {
    return widget && widget->testAttribute(Qt::WA_InputMethodEnabled);
}

} // namespace

NotchWindowController::NotchWindowController(SettingsStore& settings, QObject* parent)
    : NotchWindowController(settings, Environment{}, parent) {}

NotchWindowController::NotchWindowController(SettingsStore& settings, Environment environment,
                                             QObject* parent)
    : QObject(parent), m_settings(settings), m_environment(std::move(environment)) {
    if (!m_environment.dragWatch) {
        m_ownDragWatch = DragWatch::create();
        m_environment.dragWatch = m_ownDragWatch.get();
    }
    if (!m_environment.clickWatch) {
        m_ownClickWatch = OutsideClickWatch::create();
        m_environment.clickWatch = m_ownClickWatch.get();
    }
    if (!m_environment.sleepWatch) {
        m_ownSleepWatch = std::make_unique<SleepWatch>();
        m_environment.sleepWatch = m_ownSleepWatch.get();
    }
    if (!m_environment.pasteboard) {
        m_ownPasteboard = std::make_unique<SystemPasteboard>();
        m_environment.pasteboard = m_ownPasteboard.get();
    }

    if (!m_environment.trayOptions.maxItems) {
        // "Keep at most" reaches the tray here, read at every add.
        m_environment.trayOptions.maxItems = [&settings] { return trayLimit(settings.trayMaxItems()); };
    }
    m_trayStore = std::make_unique<TrayStore>(QStringLiteral("Vesk"), m_environment.trayOptions);
    m_pipelineRunner = std::make_unique<PipelineRunner>(PipelineRegistry(), m_environment.pipelineOptions);
    // Temporaries of runs that a crash or a kill cut short; once, off the main thread.
    QThreadPool::globalInstance()->start(
        [folder = pipelineOutputDirectory()] { removeStaleOutputs(folder); });
    // Copies enter the tray after the drop that asked for them.
    connect(m_trayStore.get(), &TrayStore::itemsChanged, this, &NotchWindowController::publishTrayItems);
    m_timerStore = std::make_unique<TimerStore>(m_environment.modelEnvironment.clock);
    // One store serves every display: each edit, from any desk, reaches every desk.
    m_timerStore->onChange = [this](const QList<VeskTimer>& timers) {
        for (const auto& entry : m_entries)
            entry->model->setTimers(timers);
    };
    m_shortcutsService = std::make_unique<ShortcutsService>(QStringLiteral("Vesk"));
    m_quickAppsService = std::make_unique<QuickAppsService>(QStringLiteral("Vesk"));
    m_clipboardService = std::make_unique<ClipboardService>(*m_environment.pasteboard, QStringLiteral("Vesk"),
                                                            m_environment.clipboardOptions);
    connect(m_clipboardService.get(), &ClipboardService::loaded, this, &NotchWindowController::refreshClips);
    // Removes and clears from any desk reach every desk.
    m_clipboardService->onChange = [this](const QList<Clip>&) { refreshClips(); };
    connect(m_clipboardService.get(), &ClipboardService::recorded, this,
            &NotchWindowController::publishClipsIfNewFirst);
    m_locationProvider = std::make_unique<LocationProvider>();

    m_dragRouter =
        std::make_unique<NotchDragRouter>(m_settings, *m_trayStore,
                                          NotchDragRouter::Environment{.dragWatch = m_environment.dragWatch,
                                                                       .sharing = m_environment.sharing,
                                                                       .altHeld = m_environment.altHeld},
                                          [this] { return displays(); });
    m_dragRouter->pipelineOutputDirectory = &pipelineOutputDirectory;

    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        scheduleRebuild();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &NotchWindowController::scheduleRebuild);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &NotchWindowController::scheduleRebuild);
    connect(m_environment.sleepWatch, &SleepWatch::didWake, this, &NotchWindowController::scheduleRebuild);

    m_deskEnvironment.pasteboard = m_environment.pasteboard;
    m_deskEnvironment.clock = m_environment.modelEnvironment.clock;
    m_deskEnvironment.openURL = m_environment.modelEnvironment.openURL;
    m_trayViewEnvironment.pasteboard = m_environment.pasteboard;
    m_trayViewEnvironment.altHeld = m_environment.altHeld;
    m_deskEnvironment.trayContent = [this](const TrayContentInputs& inputs, QWidget* parent) {
        return TrayWidget::make(inputs, m_trayViewEnvironment, parent);
    };

    rebuild();

    connect(m_environment.clickWatch, &OutsideClickWatch::clickedElsewhere, this,
            &NotchWindowController::clickedElsewhere);
    qApp->installEventFilter(this);
}

NotchWindowController::~NotchWindowController() {
    m_rebuildTask.cancel();
    if (qApp) qApp->removeEventFilter(this);
    stopDragMonitors();
    // Panels first: their hosting views call into the models.
    for (auto& entry : m_entries)
        entry->panel.reset();
    m_entries.clear();
}

// ---- Displays

QList<NotchDisplay> NotchWindowController::displays() const {
    QList<NotchDisplay> result;
    for (const auto& entry : m_entries)
        result.append(entry->display);
    return result;
}

NotchWindowController::Entry* NotchWindowController::entry(quint32 displayID) const {
    for (const auto& entry : m_entries)
        if (entry->display.id == displayID) return entry.get();
    return nullptr;
}

NotchViewModel* NotchWindowController::model(quint32 displayID) const {
    const Entry* found = entry(displayID);
    return found ? found->model.get() : nullptr;
}

NotchPanel* NotchWindowController::panel(quint32 displayID) const {
    const Entry* found = entry(displayID);
    return found ? found->panel.get() : nullptr;
}

NotchViewModel* NotchWindowController::activeModel() const {
    const QPoint pointer = QCursor::pos();
    for (QScreen* screen : screens::all()) {
        if (!screen->geometry().contains(pointer)) continue;
        if (NotchViewModel* found = model(screens::displayID(*screen))) return found;
        break;
    }
    return m_entries.empty() ? nullptr : m_entries.front()->model.get();
}

QList<QScreen*> NotchWindowController::eligibleScreens() const {
    const QList<QScreen*> all = screens::all();
    const auto notched = [&] {
        QList<QScreen*> result;
        for (QScreen* screen : all)
            if (screens::describe(*screen).safeAreaTopInset > 0) result.append(screen);
        return result;
    };
    switch (m_settings.showOn()) {
    case ScreenPolicy::notchedOnly:
        return notched();
    case ScreenPolicy::primaryOnly:
        return all.mid(0, 1);
    case ScreenPolicy::allScreens:
        return m_settings.handlerEnabled() ? all : notched();
    }
    return all;
}

void NotchWindowController::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &NotchWindowController::scheduleRebuild);
    connect(screen, &QScreen::availableGeometryChanged, this, &NotchWindowController::scheduleRebuild);
}

void NotchWindowController::scheduleRebuild() {
    m_rebuildTask.cancel();
    m_rebuildTask = onMainAfter(rebuildDelay, [self = QPointer<NotchWindowController>(this)] {
        if (self) self->rebuild();
    });
}

void NotchWindowController::rebuild() {
    const QList<QScreen*> eligible = eligibleScreens();
    QSet<quint32> ids;
    for (QScreen* screen : eligible)
        ids.insert(screens::displayID(*screen));

    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (ids.contains((*it)->display.id)) {
            ++it;
            continue;
        }
        (*it)->panel->hide();
        // Not deleted at once: this may run inside one of the panel's own events.
        (*it)->panel.release()->deleteLater();
        (*it)->model.release()->deleteLater();
        it = m_entries.erase(it);
    }
    if (eligible.isEmpty()) {
        Q_EMIT rebuilt();
        return;
    }

    // Sizes as the settings window writes them, whatever a hand-edited file holds.
    const auto inRange = [](const char* key, double value) {
        return NotchSizing::settingInRange(QLatin1String(key), value);
    };
    const QSizeF handlerSize(inRange("handlerWidth", m_settings.handlerWidth()),
                             inRange("handlerHeight", m_settings.handlerHeight()));
    const double widthAdjust = inRange("notchWidthAdjust", m_settings.notchWidthAdjust());
    const double heightAdjust = inRange("notchHeightAdjust", m_settings.notchHeightAdjust());
    std::vector<std::unique_ptr<Entry>> ordered;
    for (QScreen* screen : eligible) {
        const NotchGeometry geometry = ScreenGeometryResolver::geometry(
            screens::describe(*screen), widthAdjust, heightAdjust, handlerSize);
        const auto existing = std::find_if(m_entries.begin(), m_entries.end(), [&](const auto& entry) {
            return entry->display.id == geometry.displayID;
        });
        if (existing != m_entries.end()) {
            refresh(**existing, screen, geometry);
            ordered.push_back(std::move(*existing));
            m_entries.erase(existing);
        } else {
            build(screen, geometry);
            ordered.push_back(std::move(m_entries.back()));
            m_entries.pop_back();
        }
    }
    m_entries = std::move(ordered);
    Q_EMIT rebuilt();
}

void NotchWindowController::refresh(Entry& entry, QScreen* screen, const NotchGeometry& geometry) {
    entry.display.screen = screen;
    NotchViewModel& model = *entry.model;
    model.setGeometry(geometry);
    NotchPanel& panel = *entry.panel;
    // Armed for a drag, the panel keeps the drop size the drag gave it until disarmed.
    if (m_dragRouter->isArmed() && !model.state().isOpen()) {
        panel.setDrawnCanvas(panel.currentCanvas());
        panel.setFrame(NotchSizing::panelFrame(panel.currentCanvas(), geometry));
        panel.syncBackdrop();
        return;
    }
    // A new notch size changes the state's canvas: the panel and the clickable area follow
    // now, not at the next hover.
    const QSizeF canvas = model.currentCanvasSize();
    panel.setCurrentCanvas(canvas);
    panel.setDrawnCanvas(canvas);
    panel.setFrame(NotchSizing::panelFrame(canvas, geometry));
    panel.syncBackdrop();
    panel.hostingView()->setInteractiveRect(model.interactiveRect(canvas));
}

void NotchWindowController::build(QScreen* screen, const NotchGeometry& geometry) {
    auto entry = std::make_unique<Entry>();
    entry->model = std::make_unique<NotchViewModel>(geometry, m_settings, m_environment.modelEnvironment);
    entry->panel = std::make_unique<NotchPanel>(screen, QSizeF(200, 60));
    entry->display = NotchDisplay{
        .id = geometry.displayID, .screen = screen, .model = entry->model.get(), .panel = entry->panel.get()};
    NotchViewModel& model = *entry->model;
    NotchPanel& panel = *entry->panel;
    NotchHostingView* host = panel.hostingView();
    model.setPanel(&panel);
    host->setRootView(new NotchRootView(model, host));
    installDeskFactory(*qobject_cast<NotchRootView*>(host->rootView()));

    QPointer<NotchHostingView> weakHost(host);
    QPointer<NotchViewModel> weakModel(&model);
    model.setOnGeometryChange([weakHost, weakModel] {
        if (!weakHost || !weakModel) return;
        const QRectF rect = weakModel->interactiveRect(weakModel->currentCanvasSize());
        weakHost->setInteractiveRect(rect);
        if (qEnvironmentVariableIsSet("VESK_TRACE")) {
            const QString line = QStringLiteral("state ") + describe(weakModel->state()) +
                                 QStringLiteral("  interactiveRect ") + describe(rect) + QLatin1Char('\n');
            std::fputs(line.toLocal8Bit().constData(), stderr);
        }
    });
    host->setInteractiveRect(model.interactiveRect(model.currentCanvasSize()));

    model.setTrayStore(m_trayStore.get());
    model.setTrayItems(m_trayStore->items());
    model.setTimerStore(m_timerStore.get());
    model.setShortcutsService(m_shortcutsService.get());
    model.setQuickAppsService(m_quickAppsService.get());
    model.setQuickApps(m_quickAppsService->apps());
    model.setRepository(m_repository);
    model.setPipelineRunner(m_pipelineRunner.get());
    model.setClipboardService(m_clipboardService.get());
    model.setClips(m_clipboardService->clips());
    model.setWeatherProvider(&weatherProvider());
    const auto& outputDevices = m_environment.modelEnvironment.outputDevices;
    model.setAudioDevices(outputDevices ? outputDevices() : AudioService::outputDevices());
    model.setTimers(m_timerStore->timers());
    model.recomputeLayout();

    installHostCallbacks(*entry);
    host->setDropRectForDrag(QRectF(0, 0, 900, 120));

    panel.setBackdropEnabled(m_settings.progressiveBlur());
    if (!panel.backdropEnabled()) panel.hideBackdrop();
    const QSizeF canvas = model.currentCanvasSize();
    panel.setCurrentCanvas(canvas);
    panel.setDrawnCanvas(canvas);
    panel.setFrame(NotchSizing::panelFrame(canvas, geometry));
    panel.syncBackdrop();
    panel.show();

    const NotchDisplay display = entry->display;
    m_entries.push_back(std::move(entry));
    m_dragRouter->attach(display);
    if (m_onModelCreated) m_onModelCreated(model);
}

void NotchWindowController::installDeskFactory(NotchRootView& root) {
    // Each desk is built with the environment as it is when the desk opens.
    QPointer<NotchWindowController> self(this);
    root.setDeskFactory(
        [self](DeskTab tab, NotchViewModel& model, double inset, QWidget* parent) -> QWidget* {
            if (!self) return nullptr;
            return new DeskView(tab, model, inset, self->m_deskEnvironment, parent);
        });
}

DeskRepository* NotchWindowController::repository() const {
    return m_repository;
}

void NotchWindowController::setRepository(DeskRepository* repository) {
    m_repository = repository;
    for (const auto& entry : m_entries)
        entry->model->setRepository(repository);
}

void NotchWindowController::installHostCallbacks(const Entry& entry) {
    NotchHostingView* host = entry.panel->hostingView();
    QPointer<NotchWindowController> self(this);
    host->contextMenuProvider = [self]() -> QMenu* {
        return self && self->m_contextMenuProvider ? self->m_contextMenuProvider() : nullptr;
    };
    host->onDragDiagnostic = [](const QString& text) { TraceLog::trace(text); };
    QPointer<NotchViewModel> model(entry.model.get());
    host->onScroll = [model](double dx, double dy, SwipePhase phase) {
        if (model) model->handleScroll(dx, dy, phase);
    };
}

QString NotchWindowController::geometryReport() const {
    QStringList blocks;
    for (const auto& entry : m_entries) {
        const NotchGeometry& g = entry->model->geometry();
        blocks << QStringLiteral("display %1  %2×%3\n"
                                 "  notch    %4 × %5 %6\n"
                                 "  origin   x=%7  centreX=%8\n"
                                 "  menuBar  %9   scale %10   %11Hz")
                      .arg(QString::number(entry->display.id), QString::number(qint64(g.screenFrame.width())),
                           QString::number(qint64(g.screenFrame.height())), length(g.notchSize.width()),
                           length(g.notchSize.height()),
                           g.hasHardwareNotch ? QStringLiteral("(hardware)")
                                              : QStringLiteral("(synthetic handler)"),
                           length(g.notchOrigin.x()), length(g.notchCenterX()), length(g.menuBarHeight))
                      .arg(length(g.backingScale), QString::number(g.maximumFramesPerSecond));
    }
    return blocks.join(QLatin1Char('\n'));
}

QString NotchWindowController::pipelineOutputDirectory() {
    const QString folder = files::applicationSupportFolder() + QStringLiteral("/Pipelines");
    QDir().mkpath(folder);
    return folder;
}

void NotchWindowController::relayoutWidgets() {
    for (const auto& entry : m_entries)
        entry->model->recomputeLayout();
}

void NotchWindowController::refreshQuickApps() {
    for (const auto& entry : m_entries)
        entry->model->setQuickApps(m_quickAppsService->apps());
}

WeatherProvider& NotchWindowController::weatherProvider() {
    if (!m_weatherProvider) m_weatherProvider = std::make_unique<WeatherProvider>(*m_locationProvider);
    return *m_weatherProvider;
}

void NotchWindowController::publishTrayItems() {
    for (const auto& entry : m_entries)
        entry->model->setTrayItems(m_trayStore->items());
}

void NotchWindowController::refreshClips() {
    const QList<Clip>& clips = m_clipboardService->clips();
    m_publishedFirstClip = clips.isEmpty() ? std::nullopt : std::make_optional(clips.first().id);
    for (const auto& entry : m_entries)
        entry->model->setClips(clips);
}

void NotchWindowController::pollClipboard(bool enabled, int maxItems, bool persists) {
    if (!enabled) return;
    m_clipboardService->setMaxItems(maxItems);
    m_clipboardService->setPersists(persists);
    m_clipboardService->poll();
    publishClipsIfNewFirst();
}

void NotchWindowController::publishClipsIfNewFirst() {
    const QList<Clip>& clips = m_clipboardService->clips();
    const std::optional<QUuid> first = clips.isEmpty() ? std::nullopt : std::make_optional(clips.first().id);
    if (first == m_publishedFirstClip) return;
    refreshClips();
}

bool NotchWindowController::writeWaiting() {
    // Each is tried, whatever the others do.
    const bool tray = m_trayStore->writeWaiting();
    const bool apps = m_quickAppsService->writeWaiting();
    const bool clips = m_clipboardService->writeWaiting();
    const bool shortcuts = m_shortcutsService->writeWaiting();
    return tray && apps && clips && shortcuts;
}

// ---- Drags

void NotchWindowController::pollDragPasteboard() {
    m_dragRouter->pollDragPasteboard();
}

void NotchWindowController::startDragMonitors() {
    m_dragRouter->startDragMonitors();
}

void NotchWindowController::stopDragMonitors() {
    m_dragRouter->stopDragMonitors();
}

void NotchWindowController::setSourcingDrag(bool sourcing) {
    m_dragRouter->setSourcingDrag(sourcing);
}

bool NotchWindowController::isDragArmed() const {
    return m_dragRouter->isArmed();
}

// ---- Handlers

void NotchWindowController::setOnFilesDropped(std::function<void(const QList<TrayItem>&)> handler) {
    m_dragRouter->onFilesDropped = std::move(handler);
}

void NotchWindowController::setContextMenuProvider(std::function<QMenu*()> provider) {
    m_contextMenuProvider = std::move(provider);
}

void NotchWindowController::setOnModelCreated(std::function<void(NotchViewModel&)> handler) {
    m_onModelCreated = std::move(handler);
    if (!m_onModelCreated) return;
    for (const auto& entry : m_entries)
        m_onModelCreated(*entry->model);
}

// ---- Dismissal, Escape and paste

void NotchWindowController::clickedElsewhere(const QPointF& position) {
    for (const auto& entry : m_entries) {
        if (!entry->model->state().isOpen()) continue;
        // A click through the panel's transparent part still lands in its frame.
        if (QRectF(entry->panel->geometry()).contains(position)) continue;
        entry->model->send(NotchEvent::forceClose());
    }
}

bool NotchWindowController::eventFilter(QObject* watched, QEvent* event) {
    // Keys reach a window before its widgets: looking there sees each press once. Only
    // presses aimed at a notch panel are ours; other windows (settings, dialogs) keep
    // their Escape and their paste.
    if (event->type() == QEvent::KeyPress && watched->isWindowType() && isPanelWindow(watched))
        return handleKey(static_cast<const QKeyEvent&>(*event));
    return QObject::eventFilter(watched, event);
}

bool NotchWindowController::isPanelWindow(const QObject* window) const {
    return std::any_of(m_entries.begin(), m_entries.end(), [window](const auto& entry) {
        return entry->panel && entry->panel->windowHandle() == window;
    });
}

bool NotchWindowController::handleKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (key.key() == Qt::Key_V && modifiers == Qt::ControlModifier) return paste();
    if (key.key() == Qt::Key_Escape) {
        bool closed = false;
        for (const auto& entry : m_entries) {
            if (!entry->model->state().isOpen()) continue;
            entry->model->send(NotchEvent::forceClose());
            closed = true;
        }
        return closed;
    }
    return false;
}

bool NotchWindowController::paste() {
    const auto open = std::find_if(m_entries.begin(), m_entries.end(),
                                   [](const auto& entry) { return entry->model->state().isOpen(); });
    if (open == m_entries.end()) return false;
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == (*open)->panel.get() && isTextInput(focus)) return false;
    if (m_trayStore->addFromPasteboard(*m_environment.pasteboard).isEmpty()) return false;
    publishTrayItems();
    (*open)->model->send(NotchEvent::selectTab(DeskTab::tray));
    return true;
}

} // namespace vesk
