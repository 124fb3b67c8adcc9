#pragma once

// The view model's own fields, shared by the files that implement it; nothing else includes this.

#include "Vesk/Notch/NotchViewModel.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Sharing/Sharing.h"
#include "VeskServices/Audio/AudioState.h"
#include "VeskServices/Calendar/CalendarService.h"
#include "VeskServices/Clipboard/ClipboardService.h"
#include "VeskServices/NowPlaying/NowPlayingState.h"
#include "VeskServices/Pipelines/PipelineRunner.h"
#include "VeskServices/Tray/TrayItem.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskServices/Weather/WeatherProvider.h"
#include "VeskSync/DeskRepository.h"
#include "VeskUI/Motion/MotionSpec.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QPointer>

namespace vesk {

struct NotchViewModel::Fields {
    Fields(const NotchGeometry& geometry, SettingsStore& settings, Environment environment)
        : geometry(geometry), settings(settings), machine(NotchState::closed(), settings.notchGuards()),
          environment(std::move(environment)) {}

    NotchState state;
    bool isHovering = false;
    NotchGeometry geometry;
    SettingsStore& settings;
    NowPlayingState nowPlaying;
    QList<TrayItem> trayItems;
    QPointer<TrayStore> trayStore;
    TimerStore* timerStore = nullptr;
    QPointer<ClipboardService> clipboardService;
    ShortcutsService* shortcutsService = nullptr;
    QuickAppsService* quickAppsService = nullptr;
    QPointer<DeskRepository> repository;
    QPointer<PipelineRunner> pipelineRunner;
    QPointer<WeatherProvider> weatherProvider;
    std::function<void(const MediaCommand&)> onMediaCommand;
    QList<Clip> clips;
    QList<AudioOutputDevice> audioDevices;
    QList<QuickApp> quickApps;
    QList<QUrl> dragURLs;
    QList<DropLane> dragLanes;
    std::optional<int> hoveredLane;
    QList<VeskTimer> timers;
    DeskLayout layout;
    NotchStateMachine machine;
    NotchPanelInterface* panel = nullptr;
    QPointer<QObject> panelLifetime;
    // While a drag is armed: the window's drop area, kept whatever the state draws
    // unless the desk is open.
    std::optional<QSizeF> armedCanvas;
    std::function<void(const NotchEffect&)> onEffect;
    std::function<void()> onGeometryChange;
    ScrollGestureRecognizer scroll;
    MotionSpec motion = Vesk::Motion::close;
    Environment environment;
    SystemClock systemClock;
    QPointer<CalendarService> calendarService;
    std::function<void()> openCalendarSettings;
    std::function<ActivationHolds::Hold()> holdRegular;

    // Stores `value` and says whether that changed the field.
    template <typename T> static bool assign(T& field, const T& value) {
        if (field == value) return false;
        field = value;
        return true;
    }

    NotchPanelInterface* livePanel() const { return panelLifetime ? panel : nullptr; }
    Sharing& sharing() const { return environment.sharing ? *environment.sharing : Sharing::system(); }
    const ClockSource& clock() const { return environment.clock ? *environment.clock : systemClock; }
};

} // namespace vesk
