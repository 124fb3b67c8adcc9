#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace vesk {

// One event as the calendar applications name it.
struct CalendarItem {
    QString eventId; // "<calendar>:<uid>" or "<calendar>:<uid>:<recurrence id>"
    QString calendarId;
    QString uid;          // empty when the event has none
    QString recurrenceId; // set for an occurrence of a recurring event
};

// Shows an event in the user's calendar application: GNOME Calendar or Evolution when
// installed, else the desktop's default calendar application (without the event).
class CalendarApp {
public:
    struct Lookups {
        // Whether a desktop entry of this name is installed.
        std::function<bool(const QString& desktopId)> isInstalled;
        // Starts a program detached, without a shell.
        std::function<bool(const QString& program, const QStringList& arguments)> startDetached;
        // Launches the default application for "text/calendar" without a file; false without one.
        std::function<bool()> launchDefault;
        // Where a line goes when nothing could be opened.
        std::function<void(const QString&)> trace;
    };

    static Lookups system();

    // Chooses and starts the application on a pool thread.
    static void open(const CalendarItem& item, Lookups lookups = system());
    // The same, on the calling thread; false when nothing was started.
    static bool openNow(const CalendarItem& item, const Lookups& lookups);
};

} // namespace vesk
