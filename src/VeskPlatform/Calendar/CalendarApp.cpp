#include "VeskPlatform/Calendar/CalendarApp.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/Workspace/ChildEnvironment.h"
#include "VeskPlatform/Workspace/GioLaunchContext.h"

#include <QStandardPaths>
#include <QThreadPool>
#include <QUrl>

#include <gio/gio.h>

namespace vesk {

namespace {

QString percentEncoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

CalendarApp::Lookups CalendarApp::system() {
    Lookups lookups;
    lookups.isInstalled = [](const QString& desktopId) {
        return !QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId).isEmpty();
    };
    lookups.startDetached = childEnvironment::startDetached;
    lookups.launchDefault = [] {
        GAppInfo* app = g_app_info_get_default_for_type("text/calendar", FALSE);
        if (!app) return false;
        GAppLaunchContext* context = childEnvironment::newLaunchContext();
        GError* error = nullptr;
        const bool launched = g_app_info_launch(app, nullptr, context, &error);
        g_clear_error(&error);
        g_object_unref(context);
        g_object_unref(app);
        return launched;
    };
    lookups.trace = TraceLog::trace;
    return lookups;
}

void CalendarApp::open(const CalendarItem& item, Lookups lookups) {
    // Looking the applications up reads the disk: not on the main thread.
    QThreadPool::globalInstance()->start([item, lookups = std::move(lookups)] { openNow(item, lookups); });
}

bool CalendarApp::openNow(const CalendarItem& item, const Lookups& lookups) {
    if (lookups.isInstalled(QStringLiteral("org.gnome.Calendar.desktop")))
        return lookups.startDetached(QStringLiteral("gnome-calendar"),
                                     {QStringLiteral("--uuid"), item.eventId});
    if (lookups.isInstalled(QStringLiteral("org.gnome.Evolution.desktop"))) {
        QString url = QStringLiteral("calendar:///?source-uid=") + percentEncoded(item.calendarId);
        if (!item.uid.isEmpty()) url += QStringLiteral("&comp-uid=") + percentEncoded(item.uid);
        if (!item.recurrenceId.isEmpty())
            url += QStringLiteral("&comp-rid=") + percentEncoded(item.recurrenceId);
        return lookups.startDetached(QStringLiteral("evolution"), {url});
    }
    if (lookups.launchDefault()) return true;
    if (lookups.trace) lookups.trace(QStringLiteral("no calendar application to show ") + item.eventId);
    return false;
}

} // namespace vesk
