#pragma once

#include "Vesk/Notch/NotchGeometry.h"
#include "Vesk/Permissions/ActivationHolds.h"
#include "VeskKit/Gestures/ScrollGestureRecognizer.h"
#include "VeskKit/Gestures/SwipePhase.h"
#include "VeskKit/Notch/NotchEffect.h"
#include "VeskKit/Notch/NotchEvent.h"
#include "VeskKit/Notch/NotchState.h"
#include "VeskKit/Notch/NotchStateMachine.h"
#include "VeskKit/Pipeline/DropLane.h"
#include "VeskKit/Widgets/DeskLayout.h"
#include "VeskPlatform/Calendar/CalendarApp.h"
#include "VeskServices/Calendar/CalendarEvent.h"
#include "VeskServices/Clipboard/Clip.h"
#include "VeskServices/QuickApps/QuickApp.h"
#include "VeskServices/Timers/VeskTimer.h"

#include <QList>
#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class CalendarService;
class ClipboardService;
class ClockSource;
class DeskRepository;
class NotchPanelInterface;
class QuickAppsService;
class PipelineRunner;
class Sharing;
class SettingsStore;
class TimerStore;
class ShortcutsService;
class TrayStore;
class WeatherProvider;
struct AudioOutputDevice;
struct MediaCommand;
struct MotionSpec;
struct NowPlayingState;
struct TrayItem;

// The notch of one display, without any widget: it runs every input through the
// display's state machine, resizes and refocuses the panel for the new state, performs
// the effects that concern the window and hands the others to `onEffect`, and holds
// what the notch views and the desk read. Main thread only.
//
// Observable fields emit their change signal only when a new value differs from the
// stored one. The views animate a change of `state` or `isHovering` with `motion()`,
// which is set before the signal.
class NotchViewModel : public QObject {
    Q_OBJECT

public:
    // What the model reaches outside itself; every member has a working default.
    struct Environment {
        // AirDrop; the system's (unavailable on Linux) when null.
        Sharing* sharing = nullptr;
        // The time scroll gestures are measured by; the system clock when null.
        const ClockSource* clock = nullptr;
        // The output devices listed when the desk opens; the sound server's when empty.
        std::function<QList<AudioOutputDevice>()> outputDevices;
        // Opens a URL with the desktop; QDesktopServices when empty.
        std::function<bool(const QUrl&)> openURL;
        // Plays the haptic tap; there is no haptic engine on Linux, so nothing when empty.
        std::function<void()> performHaptic;
        // Shows an event in the calendar application; CalendarApp when empty.
        std::function<void(const CalendarItem&)> showInCalendar;
    };

    // The settings must outlive the model.
    NotchViewModel(const NotchGeometry& geometry, SettingsStore& settings, QObject* parent = nullptr);
    NotchViewModel(const NotchGeometry& geometry, SettingsStore& settings, Environment environment,
                   QObject* parent = nullptr);
    ~NotchViewModel() override;

    // ---- Observable fields

    const NotchState& state() const;
    // The pointer rests on the closed notch or on the ambient now-playing pill.
    bool isHovering() const;
    // `state` is an ambient now-playing activity.
    bool isAmbientMedia() const;

    const NotchGeometry& geometry() const;
    // Written by the window controller when the screen changes.
    void setGeometry(const NotchGeometry& geometry);

    const NowPlayingState& nowPlaying() const;
    void setNowPlaying(const NowPlayingState& nowPlaying);

    const QList<TrayItem>& trayItems() const;
    void setTrayItems(const QList<TrayItem>& items);

    const QList<Clip>& clips() const;
    void setClips(const QList<Clip>& clips);

    const QList<AudioOutputDevice>& audioDevices() const;
    void setAudioDevices(const QList<AudioOutputDevice>& devices);
    // Reads the output devices again, as opening the desk does.
    void refreshAudioDevices();

    const QList<QuickApp>& quickApps() const;
    void setQuickApps(const QList<QuickApp>& apps);

    // The files of the drag over the notch, its lanes and the lane under the pointer.
    const QList<QUrl>& dragURLs() const;
    void setDragURLs(const QList<QUrl>& urls);
    const QList<DropLane>& dragLanes() const;
    void setDragLanes(const QList<DropLane>& lanes);
    std::optional<int> hoveredLane() const;
    void setHoveredLane(std::optional<int> lane);

    const QList<VeskTimer>& timers() const;
    void setTimers(const QList<VeskTimer>& timers);

    // The desk's widget row; written by recomputeLayout().
    const DeskLayout& layout() const;

    // The motion of the latest change of `state` (open or close) or `isHovering` (hover),
    // already adjusted for the desktop's reduce-motion preference.
    const MotionSpec& motion() const;

    // ---- Owned parts and wiring

    SettingsStore& settings() const;
    const NotchStateMachine& machine() const;
    ScrollGestureRecognizer& scroll();

    // The file tray; set by the window controller. Not owned.
    TrayStore* trayStore() const;
    void setTrayStore(TrayStore* store);
    // The shared timers and clipboard history; set by the window controller. Not owned.
    TimerStore* timerStore() const;
    void setTimerStore(TimerStore* store);
    ClipboardService* clipboardService() const;
    void setClipboardService(ClipboardService* service);

    // The shared shortcuts and pinned applications; set by the window controller, which
    // keeps them alive longer than the model. Not owned; none until set.
    ShortcutsService* shortcutsService() const;
    void setShortcutsService(ShortcutsService* service);
    QuickAppsService* quickAppsService() const;
    void setQuickAppsService(QuickAppsService* service);
    // The synced desk store; set by the window controller once it is built. Not owned.
    DeskRepository* repository() const;
    void setRepository(DeskRepository* repository);
    // The shared drop-pipeline runner; set by the window controller. Not owned.
    PipelineRunner* pipelineRunner() const;
    void setPipelineRunner(PipelineRunner* runner);
    // The shared weather model; set by the window controller. Not owned; none until set.
    WeatherProvider* weatherProvider() const;
    void setWeatherProvider(WeatherProvider* provider);

    // The display's panel, held weakly: once its lifetime object is gone the model
    // behaves as without a panel.
    NotchPanelInterface* panel() const;
    void setPanel(NotchPanelInterface* panel);

    // The calendar service, set by the shell. Not owned.
    CalendarService* calendarService() const;
    void setCalendarService(CalendarService* service);
    // What asking for calendar access needs of the shell: opening the calendar privacy
    // pane, and keeping the program regular while access is asked.
    void setCalendarAccessHandlers(std::function<void()> openSettings,
                                   std::function<ActivationHolds::Hold()> holdRegular);

    // Effects for the application: cycling or dismissing activities, media skips, the
    // open-desk notice. Set by the shell.
    void setOnEffect(std::function<void(const NotchEffect&)> handler);
    // Media commands from the desk's media widget. Set by the shell.
    void setOnMediaCommand(std::function<void(const MediaCommand&)> handler);
    const std::function<void(const MediaCommand&)>& onMediaCommand() const;
    // Called whenever the panel's frame or content size may have changed, so the owner
    // refreshes the panel's interactive rectangle. Set by the window controller.
    void setOnGeometryChange(std::function<void()> handler);

    // ---- Inputs

    // The only way the state changes.
    void send(const NotchEvent& event);
    // Scroll deltas over the notch; swipes become events when gestures are on.
    void handleScroll(double dx, double dy, SwipePhase phase);
    // A drag of files entered the notch: offers its lanes.
    void beginDrag(const QList<QUrl>& urls);
    // The lane under the pointer, `x` from the left edge of drop content `width` wide.
    std::optional<int> lane(double x, double width) const;

    void addTimer(double seconds);
    void openCalendarEvent(const CalendarEvent& event);
    // Removes the tray items that were added from these files (after they were moved
    // away, or an undo deleted them), also those still being copied in.
    void removeTrayItems(const QList<QUrl>& storedSources);
    void requestCalendarAccess();

    // ---- Sizing

    QSizeF contentSize(const NotchState& state) const;
    double deskHeight() const;
    QSizeF currentCanvasSize() const;
    // The part of a panel `canvas` wide that takes mouse input, in panel coordinates.
    QRectF interactiveRect(const QSizeF& canvas) const;
    // Lays the desk's widgets out afresh from the settings; resizes an open desk at once.
    void recomputeLayout();
    // A drag is armed: the window keeps `canvas` in every state but the open desk (whose
    // own canvas is a drop area already), while the shape is drawn for the state. Applied
    // at once unless the desk is open. Cleared, the window is left to whoever disarms.
    void setArmedCanvas(const std::optional<QSizeF>& canvas);
    std::optional<QSizeF> armedCanvas() const;

Q_SIGNALS:
    void stateChanged();
    void isHoveringChanged();
    void geometryChanged();
    void nowPlayingChanged();
    void trayItemsChanged();
    void clipsChanged();
    void audioDevicesChanged();
    void quickAppsChanged();
    void dragURLsChanged();
    void dragLanesChanged();
    void hoveredLaneChanged();
    void timersChanged();
    void layoutChanged();
    // A reference to one of the desk's services (tray, repository, timers, clipboard,
    // runner, calendar, quick apps, shortcuts, weather) was set or cleared.
    void deskServicesChanged();

private:
    struct Fields;

    void updateHoverHint(const NotchEvent& event);
    void resizeWindow(const NotchState& target);
    void applyCanvasAtOnce(NotchPanelInterface& panel, const QSizeF& canvas);
    void performEffect(const NotchEffect& effect);
    void setKeyboardFocus(NotchPanelInterface& panel, bool requested);
    void playHaptic();
    void geometryMayHaveChanged();
    void setLayout(const DeskLayout& layout);

    std::unique_ptr<Fields> d;
};

} // namespace vesk
