#pragma once

#include <functional>

namespace vesk {

class ActivityBridge;
class CalendarService;
struct MediaCommand;
struct NowPlayingState;

// The system services as the shell drives them: the activity bridge in the program, a
// fake in tests. Main thread only.
class ActivityServices {
public:
    virtual ~ActivityServices() = default;

    // Called for every now-playing state the services report.
    virtual void setOnNowPlayingChange(std::function<void(const NowPlayingState&)> handler) = 0;
    // Called when the coordinator's current payload changed without a presentation
    // (an ambient payload ended), so the surface can follow.
    virtual void setOnCurrentChanged(std::function<void()> handler) = 0;
    // Re-applies the saved Focus filter to the Focus service.
    virtual void restoreFocusFilter() = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    // Announces an upcoming calendar event once.
    virtual void checkUpcomingEvent() = 0;
    // Sends a transport command to the now-playing source; nothing without one.
    virtual void sendMediaCommand(const MediaCommand& command) = 0;

    // The calendar service every notch view model reads; null when there is none.
    virtual CalendarService* calendarService() const { return nullptr; }

    // The bridge itself, for the windows and menus that need more of it; null in tests.
    virtual ActivityBridge* bridge() const { return nullptr; }
};

} // namespace vesk
