#pragma once

#include "support/DBusFixture.h"
#include "support/ScopedEnvironment.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <libecal/libecal.h>
#include <libedataserver/libedataserver.h>

#include <signal.h>
#include <time.h>

namespace vesk::test {

// A private Evolution Data Server: fresh XDG folders, a memory GSettings backend and a
// fixed time zone, all set before the session bus that activates it starts, and put back
// when it goes. GLib reads the XDG folders once per process, so a test that uses one
// runs in a process of its own (support/OwnProcess.h). Header only, for the test
// programs that link libecal.
class EdsSession {
public:
    explicit EdsSession(const QString& timeZone = QStringLiteral("Europe/Berlin"),
                        const QString& busConfig = {})
        : m_buses((prepare(m_environment, m_home, timeZone), busConfig)) {}

    ~EdsSession() {
        if (m_writer) g_object_unref(m_writer);
        // Activated services outlive their bus unless told: end every one this test started.
        for (qint64 pid : servicePids()) {
            ::kill(pid_t(pid), SIGCONT);
            ::kill(pid_t(pid), SIGKILL);
        }
    }

    bool ok() const { return m_home.isValid() && m_buses.ok(); }
    QString error() const { return m_buses.error(); }
    PrivateBuses& buses() { return m_buses; }

    // The built-in personal calendar every new user has.
    static QString personalCalendar() { return QStringLiteral("system-calendar"); }

    // Another client of the same calendars, as another program would write them.
    ECalClient* writer() {
        if (m_writer) return m_writer;
        GError* error = nullptr;
        ESourceRegistry* registry = e_source_registry_new_sync(nullptr, &error);
        if (!registry) {
            g_clear_error(&error);
            return nullptr;
        }
        ESource* source = e_source_registry_ref_source(registry, personalCalendar().toUtf8().constData());
        if (source) {
            m_writer = E_CAL_CLIENT(e_cal_client_connect_sync(source, E_CAL_CLIENT_SOURCE_TYPE_EVENTS,
                                                              guint32(-1), nullptr, &error));
            g_object_unref(source);
        }
        g_clear_error(&error);
        g_object_unref(registry);
        return m_writer;
    }

    // Adds one VEVENT given as iCalendar text; the UID it got, empty on failure.
    QString add(const QString& vevent) {
        ICalComponent* component = i_cal_component_new_from_string(vevent.toUtf8().constData());
        if (!component || !writer()) return {};
        gchar* uid = nullptr;
        GError* error = nullptr;
        e_cal_client_create_object_sync(m_writer, component, E_CAL_OPERATION_FLAG_NONE, &uid, nullptr,
                                        &error);
        g_object_unref(component);
        if (error) ADD_FAILURE() << "creating an event failed: " << error->message;
        g_clear_error(&error);
        const QString result = QString::fromUtf8(uid);
        g_free(uid);
        return result;
    }

    // Replaces one occurrence of a recurring event with the given VEVENT (which carries
    // its RECURRENCE-ID).
    bool modifyOccurrence(const QString& vevent) {
        ICalComponent* component = i_cal_component_new_from_string(vevent.toUtf8().constData());
        if (!component || !writer()) return false;
        GError* error = nullptr;
        const bool done = e_cal_client_modify_object_sync(m_writer, component, E_CAL_OBJ_MOD_THIS,
                                                          E_CAL_OPERATION_FLAG_NONE, nullptr, &error);
        g_object_unref(component);
        if (error) ADD_FAILURE() << "modifying an event failed: " << error->message;
        g_clear_error(&error);
        return done;
    }

    // Stops (or continues) every calendar process of the session, as if it hung.
    void freezeCalendars(bool frozen) {
        for (qint64 pid : servicePids(QStringLiteral("org.gnome.evolution.dataserver.")))
            if (isCalendarProcess(pid)) ::kill(pid_t(pid), frozen ? SIGSTOP : SIGCONT);
    }

private:
    static void prepare(ScopedEnvironment& environment, QTemporaryDir& home, const QString& timeZone) {
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
            const QString path = home.path() + QLatin1Char('/') + QString::fromLatin1(name);
            QDir().mkpath(path);
            environment.set(name, path.toUtf8());
        }
        environment.set("GSETTINGS_BACKEND", "memory");
        environment.set("TZ", timeZone.toUtf8());
        tzset();
    }

    static bool isCalendarProcess(qint64 pid) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        return comm.open(QIODevice::ReadOnly) && comm.readAll().startsWith("evolution-calen");
    }

    // The processes owning names on the session bus with this prefix (every one but
    // the bus itself when empty).
    QList<qint64> servicePids(const QString& prefix = {}) const {
        QList<qint64> pids;
        if (!m_buses.ok()) return pids;
        QDBusConnection bus = m_buses.session();
        QDBusConnectionInterface* daemon = bus.interface();
        if (!daemon) return pids;
        const QStringList names = daemon->registeredServiceNames().value();
        for (const QString& name : names) {
            if (name == QStringLiteral("org.freedesktop.DBus") || name == bus.baseService()) continue;
            if (!prefix.isEmpty() && !name.startsWith(prefix)) continue;
            const QDBusReply<uint> pid = daemon->servicePid(name);
            if (pid.isValid() && pid.value() != uint(QCoreApplication::applicationPid()) &&
                !pids.contains(pid.value()))
                pids.append(pid.value());
        }
        return pids;
    }

    // Gone last: the time zone read again once TZ is back.
    struct ReadTimeZoneAgain {
        ~ReadTimeZoneAgain() { tzset(); }
    } m_readTimeZoneAgain;
    ScopedEnvironment m_environment;
    QTemporaryDir m_home;
    PrivateBuses m_buses;
    ECalClient* m_writer = nullptr;
};

} // namespace vesk::test
