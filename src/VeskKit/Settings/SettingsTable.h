#pragma once

#include "VeskKit/Pipeline/PipelineID.h"
#include "VeskKit/Settings/SettingsEnums.h"
#include "VeskKit/Widgets/WidgetID.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

namespace vesk {

using PipelineOrder = QList<PipelineID>;
using WidgetOrder = QList<WidgetID>;
using WidgetSet = QSet<WidgetID>;
// Calendar identifiers; empty means the user has not narrowed the calendars down.
using CalendarIdentifiers = QSet<QString>;
// Width in cells per widget.
using WidgetCells = QHash<WidgetID, int>;

inline WidgetOrder defaultWidgetOrder() {
    return {WidgetID::media, WidgetID::todos, WidgetID::shortcuts, WidgetID::mirror};
}
inline WidgetSet defaultEnabledWidgets() {
    return {WidgetID::media, WidgetID::todos, WidgetID::shortcuts, WidgetID::mirror};
}

} // namespace vesk

// Every user setting, once. The key in the user defaults is the property name.
//   VALUE(Type, name, Name, default)                    Boolean, enumeration or collection
//   NUMBER(name, Name, default, lowest, highest)        Double, clamped into the range on write
// The store expands this list into its typed getters and setters and its catalogue.
// clang-format off
#define VESK_SETTINGS(VALUE, NUMBER)                                                                       \
    /* General and appearance */                                                                          \
    VALUE(bool, launchAtLogin, LaunchAtLogin, false)                                                       \
    VALUE(ScreenPolicy, showOn, ShowOn, ScreenPolicy::allScreens)                                          \
    VALUE(FullscreenPolicy, fullscreenPolicy, FullscreenPolicy, FullscreenPolicy::notchedOnly)             \
    VALUE(AppearanceMode, appearance, Appearance, AppearanceMode::system)                                  \
    VALUE(bool, preferRoundButtons, PreferRoundButtons, true)                                              \
    VALUE(bool, translucentNotch, TranslucentNotch, false)                                                 \
    VALUE(bool, contrastOutline, ContrastOutline, true)                                                    \
    VALUE(bool, progressiveBlur, ProgressiveBlur, true)                                                    \
    VALUE(bool, hapticFeedback, HapticFeedback, true)                                                      \
    VALUE(bool, demoMode, DemoMode, false)                                                                 \
    VALUE(bool, syncEnabled, SyncEnabled, true)                                                            \
    /* Notch size and handler */                                                                          \
    NUMBER(contentPadding, ContentPadding, 12, 0, 24)                                                      \
    NUMBER(notchWidthAdjust, NotchWidthAdjust, 0, -20, 20)                                                 \
    NUMBER(notchHeightAdjust, NotchHeightAdjust, 0, -20, 20)                                               \
    VALUE(bool, handlerEnabled, HandlerEnabled, true)                                                      \
    NUMBER(handlerWidth, HandlerWidth, 184, 80, 400)                                                       \
    NUMBER(handlerHeight, HandlerHeight, 8, 2, 24)                                                         \
    VALUE(bool, handlerTransparent, HandlerTransparent, false)                                             \
    VALUE(bool, hideOnNonNotched, HideOnNonNotched, false)                                                 \
    VALUE(bool, unhideAutomatically, UnhideAutomatically, true)                                            \
    /* Hover and gestures */                                                                              \
    VALUE(bool, expandOnHover, ExpandOnHover, false)                                                       \
    VALUE(bool, alwaysOpenOnHover, AlwaysOpenOnHover, false)                                               \
    VALUE(bool, preventCloseOnMouseLeave, PreventCloseOnMouseLeave, true)                                  \
    VALUE(bool, lockWhileTyping, LockWhileTyping, false)                                                   \
    VALUE(bool, gesturesWhileHovering, GesturesWhileHovering, true)                                        \
    VALUE(bool, naturalMovement, NaturalMovement, false)                                                   \
    VALUE(bool, swipeToToggleOpen, SwipeToToggleOpen, true)                                                \
    VALUE(bool, swipeToCycleActivity, SwipeToCycleActivity, true)                                          \
    VALUE(bool, swipeToDismissActivity, SwipeToDismissActivity, true)                                      \
    VALUE(bool, swipeToSkipMedia, SwipeToSkipMedia, true)                                                  \
    VALUE(bool, invertMediaGestures, InvertMediaGestures, false)                                           \
    VALUE(bool, interactiveActivities, InteractiveActivities, true)                                        \
    VALUE(bool, quickPeekEnabled, QuickPeekEnabled, true)                                                  \
    /* Activities of every kind */                                                                        \
    VALUE(bool, activitiesEnabled, ActivitiesEnabled, true)                                                \
    NUMBER(inactivityTimeout, InactivityTimeout, 10, 2, 60)                                                \
    VALUE(bool, suppressSystemHUD, SuppressSystemHUD, false)                                               \
    /* Sound activity */                                                                                  \
    VALUE(bool, soundEnabled, SoundEnabled, true)                                                          \
    NUMBER(soundDuration, SoundDuration, 1.5, 0.5, 10)                                                     \
    VALUE(BarStyle, soundBarStyle, SoundBarStyle, BarStyle::white)                                         \
    VALUE(HUDSpeed, soundSpeed, SoundSpeed, HUDSpeed::fast)                                                \
    VALUE(bool, soundShowPercentage, SoundShowPercentage, false)                                           \
    VALUE(bool, soundHideLabel, SoundHideLabel, false)                                                     \
    VALUE(SoundTrailing, soundTrailing, SoundTrailing, SoundTrailing::device)                              \
    /* Display (brightness) activity */                                                                   \
    VALUE(bool, displayEnabled, DisplayEnabled, true)                                                      \
    NUMBER(displayDuration, DisplayDuration, 1.5, 0.5, 10)                                                 \
    VALUE(BarStyle, displayBarStyle, DisplayBarStyle, BarStyle::glow)                                      \
    VALUE(HUDSpeed, displaySpeed, DisplaySpeed, HUDSpeed::fast)                                            \
    VALUE(bool, displayShowPercentage, DisplayShowPercentage, false)                                       \
    VALUE(bool, displayHideLabel, DisplayHideLabel, false)                                                 \
    /* Battery activity */                                                                                \
    VALUE(bool, batteryEnabled, BatteryEnabled, true)                                                      \
    NUMBER(batteryDuration, BatteryDuration, 5, 1, 15)                                                     \
    VALUE(bool, batteryNotifyLowPowerMode, BatteryNotifyLowPowerMode, true)                                \
    VALUE(bool, batteryWarnLow, BatteryWarnLow, true)                                                      \
    NUMBER(batteryLowThreshold, BatteryLowThreshold, 20, 5, 50)                                            \
    VALUE(bool, batteryHidePercentage, BatteryHidePercentage, false)                                       \
    /* Connectivity (Bluetooth) activity */                                                               \
    VALUE(bool, connectivityEnabled, ConnectivityEnabled, true)                                            \
    NUMBER(connectivityDuration, ConnectivityDuration, 5, 1, 15)                                           \
    VALUE(bool, connectivityWarnLow, ConnectivityWarnLow, true)                                            \
    NUMBER(connectivityLowThreshold, ConnectivityLowThreshold, 20, 5, 50)                                  \
    /* Focus activity */                                                                                  \
    VALUE(bool, focusEnabled, FocusEnabled, true)                                                          \
    NUMBER(focusDuration, FocusDuration, 5, 1, 15)                                                         \
    VALUE(bool, focusReplaceWaveform, FocusReplaceWaveform, false)                                         \
    VALUE(bool, focusHideLabel, FocusHideLabel, false)                                                     \
    /* Now playing */                                                                                     \
    VALUE(bool, nowPlayingEnabled, NowPlayingEnabled, true)                                                \
    NUMBER(nowPlayingIdleDuration, NowPlayingIdleDuration, 3, 1, 30)                                       \
    VALUE(MediaBarStyle, nowPlayingBarStyle, NowPlayingBarStyle, MediaBarStyle::monochrome)                \
    VALUE(bool, nowPlayingDisableArtworkFlip, NowPlayingDisableArtworkFlip, false)                         \
    VALUE(bool, nowPlayingHideWhileSourceActive, NowPlayingHideWhileSourceActive, false)                   \
    VALUE(bool, nowPlayingPeekOnChange, NowPlayingPeekOnChange, true)                                      \
    /* File tray and pipelines */                                                                         \
    VALUE(bool, trayMoveOnDrop, TrayMoveOnDrop, false)                                                     \
    NUMBER(trayMaxItems, TrayMaxItems, 50, 5, 200)                                                         \
    VALUE(bool, trayCopyByDefault, TrayCopyByDefault, true)                                                \
    VALUE(bool, pipelinesEnabled, PipelinesEnabled, true)                                                  \
    VALUE(PipelineOrder, pipelineOrder, PipelineOrder, PipelineOrder{})                                    \
    /* Idle and lock */                                                                                   \
    VALUE(KeepAwakeDurationSetting, keepAwakeDuration, KeepAwakeDuration,                                  \
          KeepAwakeDurationSetting::indefinite)                                                            \
    VALUE(bool, lockSoundsEnabled, LockSoundsEnabled, false)                                               \
    VALUE(bool, showLockActivity, ShowLockActivity, true)                                                  \
    /* Clipboard history */                                                                               \
    VALUE(bool, clipboardEnabled, ClipboardEnabled, true)                                                  \
    NUMBER(clipboardMaxItems, ClipboardMaxItems, 40, 5, 200)                                               \
    VALUE(bool, clipboardPersists, ClipboardPersists, false)                                               \
    /* Calendar */                                                                                        \
    VALUE(CalendarIdentifiers, visibleCalendars, VisibleCalendars, CalendarIdentifiers{})                  \
    NUMBER(calendarDaysBehind, CalendarDaysBehind, 7, 0, 30)                                               \
    NUMBER(calendarDaysAhead, CalendarDaysAhead, 7, 1, 30)                                                 \
    VALUE(bool, showPastEventsToday, ShowPastEventsToday, false)                                           \
    VALUE(bool, showAllDayEvents, ShowAllDayEvents, false)                                                 \
    VALUE(bool, showMultiDayEvents, ShowMultiDayEvents, false)                                             \
    NUMBER(calendarLeadMinutes, CalendarLeadMinutes, 5, 0, 60)                                             \
    VALUE(bool, dismissAtEventEnd, DismissAtEventEnd, true)                                                \
    VALUE(bool, detectMeetingLinks, DetectMeetingLinks, true)                                              \
    /* Desk widgets */                                                                                    \
    VALUE(WidgetOrder, widgetOrder, WidgetOrder, defaultWidgetOrder())                                     \
    VALUE(WidgetSet, enabledWidgets, EnabledWidgets, defaultEnabledWidgets())                              \
    VALUE(WidgetCells, widgetCells, WidgetCells, WidgetCells{})
// clang-format on
