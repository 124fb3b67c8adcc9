#pragma once

#include "Vesk/Desk/DeskEnvironment.h"
#include "Vesk/Notch/NotchDisplay.h"
#include "Vesk/Notch/NotchGeometry.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Tray/TrayViewEnvironment.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskServices/Clipboard/ClipboardService.h"
#include "VeskServices/Pipelines/PipelineRunner.h"
#include "VeskServices/QuickApps/QuickAppsService.h"
#include "VeskServices/Shortcuts/ShortcutsService.h"
#include "VeskServices/Timers/TimerStore.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskServices/Weather/LocationProvider.h"
#include "VeskServices/Weather/WeatherProvider.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QKeyEvent;
class QMenu;
class QScreen;

namespace vesk {

class DeskRepository;
class DragWatch;
class NotchDragRouter;
class NotchRootView;
class OutsideClickWatch;
class Pasteboard;
class SettingsStore;
class Sharing;
class SleepWatch;

// Puts the notch on the screens: one panel (with its hosting view) and one view model
// per eligible display, kept under the display's id and rebuilt, debounced, when the
// screens change or the machine wakes. It owns the desk services the view models share
// (the tray), closes open desks on Escape and on clicks elsewhere, pastes into the open
// tray on Ctrl+V, and arms the notch for file drags and routes their drops. Created once
// by the application shell; main thread only.
class NotchWindowController : public QObject {
    Q_OBJECT

public:
    // What the controller reaches outside itself; every member has a working default.
    struct Environment {
        // Drags anywhere on the desktop; the desktop's own when null.
        DragWatch* dragWatch = nullptr;
        // Clicks outside our windows; the desktop's own when null.
        OutsideClickWatch* clickWatch = nullptr;
        // Wake-ups; logind's on the system bus when null.
        SleepWatch* sleepWatch = nullptr;
        // What Ctrl+V pastes; the clipboard when null.
        Pasteboard* pasteboard = nullptr;
        // AirDrop for the drop lane; the system's when null.
        Sharing* sharing = nullptr;
        // Whether Alt is held now (it inverts trayMoveOnDrop); the keyboard's when empty.
        std::function<bool()> altHeld;
        // Options of the shared tray (its queue, clock, size limit).
        TrayStoreOptions trayOptions;
        // Options of the clipboard history (its reader, queue, clock, front application).
        ClipboardServiceOptions clipboardOptions;
        // Handed to every view model.
        NotchViewModel::Environment modelEnvironment;
        // Options of the shared pipeline runner (where its work runs).
        PipelineRunner::Options pipelineOptions;
    };

    // A burst of screen changes or wake-ups rebuilds once, this long after the last.
    static constexpr double rebuildDelay = 0.25;

    // Builds the notch on every eligible screen at once. `settings` must outlive the
    // controller.
    explicit NotchWindowController(SettingsStore& settings, QObject* parent = nullptr);
    NotchWindowController(SettingsStore& settings, Environment environment, QObject* parent = nullptr);
    ~NotchWindowController() override;

    // ---- Displays

    // The displays with a notch, in screen order (primary first).
    QList<NotchDisplay> displays() const;
    NotchViewModel* model(quint32 displayID) const;
    NotchPanel* panel(quint32 displayID) const;
    // The model of the display under the pointer, else the first display's; null
    // without displays. Activities and the shell's notch commands go to it.
    NotchViewModel* activeModel() const;
    // Reconciles the notches with the eligible screens now: a display that stays keeps
    // its model, panel and state and only gets its new geometry; one that left loses
    // its notch; one that came gets a new one. Also after a notch-size adjustment.
    void rebuild();
    // Four lines per display: its size, the notch, its position, the screen's facts.
    QString geometryReport() const;
    // Lays out every model's desk widgets afresh (after the widget settings changed).
    void relayoutWidgets();

    // ---- Shared desk services

    TrayStore& trayStore() { return *m_trayStore; }
    TimerStore& timerStore() { return *m_timerStore; }
    ClipboardService& clipboardService() { return *m_clipboardService; }
    // Every model's clips := the history's.
    void refreshClips();
    // Every other heartbeat tick: when enabled, hands the settings to the history and
    // polls it. A read it starts ends later; the models get the new list once a new
    // clip heads it.
    void pollClipboard(bool enabled, int maxItems, bool persists);
    // What every desk opened from now on reaches outside its view model.
    DeskEnvironment& deskEnvironment() { return m_deskEnvironment; }
    ShortcutsService& shortcutsService() { return *m_shortcutsService; }
    QuickAppsService& quickAppsService() { return *m_quickAppsService; }
    // Every model's pinned applications from the quick-apps service (after the settings
    // window changed them).
    void refreshQuickApps();
    // The synced desk store, once built; each assignment reaches every model, and the
    // models of displays attached later get it too. Not owned.
    DeskRepository* repository() const;
    void setRepository(DeskRepository* repository);
    // At every ending: writes what the shared services keep because a write failed (the
    // tray index, the pins, the clipboard history, the chosen shortcuts), each from what
    // it holds now; done when this returns. True when nothing waits any more.
    bool writeWaiting();
    // The drop-pipeline runner every display shares, over the default pipelines.
    PipelineRunner& pipelineRunner() { return *m_pipelineRunner; }
    // "<application support>/Vesk/Pipelines", where pipelines write; made on every read
    // (a failure is left to the run that writes there).
    static QString pipelineOutputDirectory();
    LocationProvider& locationProvider() { return *m_locationProvider; }
    // Made over the location provider at the first call, then always the same one.
    WeatherProvider& weatherProvider();

    // ---- Drags (driven by the shell)

    // Every heartbeat tick: arms the notch when a drag started with the left button
    // held, disarms it once the button is up.
    void pollDragPasteboard();
    // At launch and termination.
    void startDragMonitors();
    void stopDragMonitors();
    // A drag out of the tray started (true) or ended: the notch ignores it meanwhile.
    void setSourcingDrag(bool sourcing);
    bool isDragArmed() const;

    // ---- Handlers set by the shell

    // Told of the tray items a drop added, as they enter the tray.
    void setOnFilesDropped(std::function<void(const QList<TrayItem>&)> handler);
    // Builds the notch's right-click menu when asked (none: no menu).
    void setContextMenuProvider(std::function<QMenu*()> provider);
    // Called for every view model the controller builds, including those of displays
    // plugged in later; setting it calls it at once for every model already built.
    void setOnModelCreated(std::function<void(NotchViewModel&)> handler);

Q_SIGNALS:
    // At the end of every rebuild (screens changed, the notch size adjusted): the
    // geometry report may read otherwise.
    void rebuilt();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        NotchDisplay display;
        std::unique_ptr<NotchViewModel> model;
        std::unique_ptr<NotchPanel> panel;
    };

    QList<QScreen*> eligibleScreens() const;
    void scheduleRebuild();
    void watchScreen(QScreen* screen);
    void build(QScreen* screen, const NotchGeometry& geometry);
    void refresh(Entry& entry, QScreen* screen, const NotchGeometry& geometry);
    void installHostCallbacks(const Entry& entry);
    void installDeskFactory(NotchRootView& root);
    void clickedElsewhere(const QPointF& position);
    bool isPanelWindow(const QObject* window) const;
    bool handleKey(const QKeyEvent& key);
    bool paste();
    void publishTrayItems();
    void publishClipsIfNewFirst();
    Entry* entry(quint32 displayID) const;

    SettingsStore& m_settings;
    Environment m_environment;
    std::unique_ptr<DragWatch> m_ownDragWatch;
    std::unique_ptr<OutsideClickWatch> m_ownClickWatch;
    std::unique_ptr<SleepWatch> m_ownSleepWatch;
    std::unique_ptr<Pasteboard> m_ownPasteboard;
    std::unique_ptr<TrayStore> m_trayStore;
    std::unique_ptr<TimerStore> m_timerStore;
    std::unique_ptr<ClipboardService> m_clipboardService;
    // The first clip the models were last given.
    std::optional<QUuid> m_publishedFirstClip;
    std::unique_ptr<ShortcutsService> m_shortcutsService;
    std::unique_ptr<QuickAppsService> m_quickAppsService;
    QPointer<DeskRepository> m_repository;
    std::unique_ptr<LocationProvider> m_locationProvider;
    std::unique_ptr<WeatherProvider> m_weatherProvider;
    std::unique_ptr<NotchDragRouter> m_dragRouter;
    std::vector<std::unique_ptr<Entry>> m_entries;
    TaskHandle m_rebuildTask;
    std::function<QMenu*()> m_contextMenuProvider;
    std::function<void(NotchViewModel&)> m_onModelCreated;
    DeskEnvironment m_deskEnvironment;
    TrayViewEnvironment m_trayViewEnvironment;
    // Declared last, so it goes first: runs in flight stop before anything they reach.
    std::unique_ptr<PipelineRunner> m_pipelineRunner;
};

} // namespace vesk
