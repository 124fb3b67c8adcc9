#include "VeskPlatform/Calendar/Eds/EdsCalendarStore.h"

#include "VeskPlatform/Calendar/Eds/EdsEventReader.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <libecal/libecal.h>
#include <libedataserver/libedataserver.h>

#include <mutex>
#include <vector>

namespace vesk {

namespace {

// How long a calendar may take to come up before its connection counts as failed.
constexpr guint32 connectTimeoutSeconds = 5;

QString takeError(GError* error) {
    if (!error) return {};
    const QString message = QString::fromUtf8(error->message);
    g_error_free(error);
    return message;
}

QString takeString(gchar* text) {
    const QString value = QString::fromUtf8(text);
    g_free(text);
    return value;
}

} // namespace

struct EdsCalendarStore::Core : std::enable_shared_from_this<EdsCalendarStore::Core> {
    // One enabled calendar and its connection.
    struct EdsCalendar {
        Core* core = nullptr;
        QString uid;
        ESource* source = nullptr;
        ECalClient* client = nullptr;
        ECalClientView* view = nullptr;
        bool connecting = false;

        ~EdsCalendar() {
            dropView();
            if (client) {
                g_signal_handlers_disconnect_matched(client, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr,
                                                     this);
                g_object_unref(client);
            }
            if (source) g_object_unref(source);
        }

        void dropView() {
            if (!view) return;
            g_signal_handlers_disconnect_matched(view, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
            g_object_unref(view);
            view = nullptr;
        }
    };

    ESourceRegistry* registry = nullptr;
    bool openingRegistry = false;
    std::vector<std::unique_ptr<EdsCalendar>> calendars;
    std::vector<std::function<void()>> openWaiters;

    bool watching = false;
    Date watchStart;
    Date watchEnd;
    std::function<void()> changed;

    std::mutex cancelMutex;
    GCancellable* cancellable = g_cancellable_new();

    const Trace traceTo;

    explicit Core(Trace trace) : traceTo(trace) {}

    ~Core() {
        calendars.clear();
        if (registry) {
            g_signal_handlers_disconnect_matched(registry, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
            g_object_unref(registry);
        }
        g_object_unref(cancellable);
    }

    // Only the store's own thread swaps the cancellable, so it may use it unlocked.
    GCancellable* currentCancellable() { return cancellable; }

    EdsCalendar* find(const QString& uid) {
        for (const auto& calendar : calendars)
            if (calendar->uid == uid) return calendar.get();
        return nullptr;
    }

    void trace(const QString& message) const {
        if (traceTo) traceTo(QStringLiteral("calendar: ") + message);
    }

    void notifyChanged() {
        if (watching && changed) changed();
    }

    bool stillConnecting() const {
        for (const auto& calendar : calendars)
            if (calendar->connecting) return true;
        return false;
    }

    void finishOpeningIfDone() {
        if (openingRegistry || stillConnecting()) return;
        std::vector<std::function<void()>> waiters;
        waiters.swap(openWaiters);
        for (const auto& waiter : waiters)
            waiter();
    }

    // ---- Registry

    void openRegistry() {
        if (registry || openingRegistry) return;
        openingRegistry = true;
        auto* weak = new std::weak_ptr<Core>(weak_from_this());
        e_source_registry_new(currentCancellable(), &Core::registryOpened, weak);
    }

    static void registryOpened(GObject*, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::weak_ptr<Core>> weak(static_cast<std::weak_ptr<Core>*>(data));
        GError* error = nullptr;
        ESourceRegistry* registry = e_source_registry_new_finish(result, &error);
        const std::shared_ptr<Core> self = weak->lock();
        if (!self) {
            if (registry) g_object_unref(registry);
            g_clear_error(&error);
            return;
        }
        self->openingRegistry = false;
        if (!registry) {
            self->trace(QStringLiteral("no source registry: ") + takeError(error));
        } else {
            self->registry = registry;
            for (const char* name :
                 {"source-added", "source-removed", "source-changed", "source-enabled", "source-disabled"})
                g_signal_connect_swapped(registry, name, G_CALLBACK(&Core::sourcesChanged), self.get());
            self->syncCalendars();
        }
        self->finishOpeningIfDone();
    }

    static void sourcesChanged(Core* self) {
        self->syncCalendars();
        self->notifyChanged();
    }

    GList* enabledSources() const {
        return registry ? e_source_registry_list_enabled(registry, E_SOURCE_EXTENSION_CALENDAR) : nullptr;
    }

    // Connects every enabled calendar without a connection and drops those no longer there.
    void syncCalendars() {
        GList* sources = enabledSources();
        std::vector<std::unique_ptr<EdsCalendar>> kept;
        for (GList* item = sources; item; item = item->next) {
            ESource* source = E_SOURCE(item->data);
            const QString uid = QString::fromUtf8(e_source_get_uid(source));
            std::unique_ptr<EdsCalendar> calendar;
            for (auto& existing : calendars)
                if (existing && existing->uid == uid) calendar = std::move(existing);
            if (!calendar) {
                calendar = std::make_unique<EdsCalendar>();
                calendar->core = this;
                calendar->uid = uid;
                calendar->source = E_SOURCE(g_object_ref(source));
            }
            kept.push_back(std::move(calendar));
        }
        g_list_free_full(sources, g_object_unref);
        calendars = std::move(kept);
        for (const auto& calendar : calendars)
            if (!calendar->client && !calendar->connecting) connect(*calendar);
    }

    // ---- Clients

    struct ConnectToken {
        std::weak_ptr<Core> core;
        QString uid;
    };

    void connect(EdsCalendar& calendar) {
        calendar.connecting = true;
        auto* token = new ConnectToken{weak_from_this(), calendar.uid};
        e_cal_client_connect(calendar.source, E_CAL_CLIENT_SOURCE_TYPE_EVENTS, connectTimeoutSeconds,
                             currentCancellable(), &Core::clientConnected, token);
    }

    static void clientConnected(GObject*, GAsyncResult* result, gpointer data) {
        std::unique_ptr<ConnectToken> token(static_cast<ConnectToken*>(data));
        GError* error = nullptr;
        EClient* connected = e_cal_client_connect_finish(result, &error);
        const std::shared_ptr<Core> self = token->core.lock();
        EdsCalendar* calendar = self ? self->find(token->uid) : nullptr;
        if (!calendar || !calendar->connecting) {
            // Removed (or reconnected) meanwhile.
            if (connected) g_object_unref(connected);
            g_clear_error(&error);
            if (self) self->finishOpeningIfDone();
            return;
        }
        calendar->connecting = false;
        const bool opening = !self->openWaiters.empty();
        if (!connected) {
            self->trace(QStringLiteral("calendar ") + token->uid + QStringLiteral(" did not connect: ") +
                        takeError(error));
        } else {
            calendar->client = E_CAL_CLIENT(connected);
            e_cal_client_set_default_timezone(calendar->client, EdsEventReader::localZone());
            g_signal_connect(connected, "backend-died", G_CALLBACK(&Core::backendDied), calendar);
            if (self->watching) self->makeView(*calendar);
        }
        if (opening)
            self->finishOpeningIfDone();
        else
            self->notifyChanged();
    }

    // The calendar's backend process ended: connect afresh, which counts as a change.
    static void backendDied(EClient*, gpointer data) {
        auto* calendar = static_cast<EdsCalendar*>(data);
        calendar->core->trace(QStringLiteral("backend of ") + calendar->uid +
                              QStringLiteral(" died, reconnecting"));
        calendar->dropView();
        g_signal_handlers_disconnect_matched(calendar->client, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr,
                                             calendar);
        // The client is released later: this signal is still being emitted by it.
        g_idle_add_full(
            G_PRIORITY_DEFAULT,
            [](gpointer client) -> gboolean {
                g_object_unref(client);
                return G_SOURCE_REMOVE;
            },
            calendar->client, nullptr);
        calendar->client = nullptr;
        // The core owns the calendar, whose handlers go with it.
        calendar->core->connect(*calendar);
    }

    // ---- Views

    QString rangeExpression(Date start, Date end) const {
        const auto utc = [](Date date) {
            return date.toDateTime().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
        };
        QString expression = QStringLiteral("(occur-in-time-range? (make-time \"") + utc(start) +
                             QStringLiteral("\") (make-time \"") + utc(end) + QStringLiteral("\")");
        if (const char* location = i_cal_timezone_get_location(EdsEventReader::localZone()))
            expression += QStringLiteral(" \"") + QString::fromUtf8(location) + QLatin1Char('"');
        return expression + QLatin1Char(')');
    }

    void makeView(EdsCalendar& calendar) {
        calendar.dropView();
        if (!calendar.client) return;
        const QByteArray expression = rangeExpression(watchStart, watchEnd).toUtf8();
        GError* error = nullptr;
        ECalClientView* view = nullptr;
        if (!e_cal_client_get_view_sync(calendar.client, expression.constData(), &view, currentCancellable(),
                                        &error)) {
            trace(QStringLiteral("no view of ") + calendar.uid + QStringLiteral(": ") + takeError(error));
            return;
        }
        // Only the identifiers: the view is a change signal, not a copy of the events.
        GSList fields{const_cast<char*>("UID"), nullptr};
        e_cal_client_view_set_flags(view, E_CAL_CLIENT_VIEW_FLAGS_NONE, nullptr);
        e_cal_client_view_set_fields_of_interest(view, &fields, nullptr);
        // The view goes live on the server some time after it is started, and events
        // written before that are never announced: its "complete" counts as a change too,
        // so the calendar is read once more after the view is live.
        for (const char* name : {"objects-added", "objects-modified", "objects-removed", "complete"})
            g_signal_connect_swapped(view, name, G_CALLBACK(&Core::viewChanged), &calendar);
        calendar.view = view;
        e_cal_client_view_start(view, &error);
        if (error)
            trace(QStringLiteral("view of ") + calendar.uid + QStringLiteral(" did not start: ") +
                  takeError(error));
    }

    static void viewChanged(EdsCalendar* calendar) { calendar->core->notifyChanged(); }
};

EdsCalendarStore::EdsCalendarStore(Trace trace) : d(std::make_shared<Core>(trace)) {}

EdsCalendarStore::~EdsCalendarStore() {
    cancel();
}

CalendarAccess EdsCalendarStore::access(QString* reason) {
    const auto restricted = [reason](const QString& why) {
        if (reason) *reason = why;
        return CalendarAccess::restricted;
    };
    // libecal answers through the thread's own GLib context; a Qt built without GLib
    // leaves the thread on the global one, which nothing here runs.
    if (!g_main_context_get_thread_default())
        return restricted(QStringLiteral("the calendar thread runs no GLib main context"));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return restricted(QStringLiteral("there is no session bus"));
    // Without Evolution Data Server the registry still opens, only empty: the bus name
    // is what tells.
    const QString name = sourcesBusName();
    if (bus.interface()->isServiceRegistered(name).value()) return CalendarAccess::granted;
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    if (activatable.isValid() && activatable.value().contains(name)) return CalendarAccess::granted;
    return restricted(name + QStringLiteral(" is neither running nor activatable"));
}

void EdsCalendarStore::open(std::function<void()> opened) {
    d->openWaiters.push_back(std::move(opened));
    if (!d->registry)
        d->openRegistry();
    else
        d->syncCalendars();
    d->finishOpeningIfDone();
}

QList<CalendarStoreCalendar> EdsCalendarStore::calendars() {
    QList<CalendarStoreCalendar> result;
    GList* sources = d->enabledSources();
    for (GList* item = sources; item; item = item->next) {
        ESource* source = E_SOURCE(item->data);
        CalendarStoreCalendar calendar;
        calendar.id = QString::fromUtf8(e_source_get_uid(source));
        calendar.title = takeString(e_source_dup_display_name(source));
        auto* selectable =
            static_cast<ESourceSelectable*>(e_source_get_extension(source, E_SOURCE_EXTENSION_CALENDAR));
        calendar.color = takeString(e_source_selectable_dup_color(selectable));
        result.append(calendar);
    }
    g_list_free_full(sources, g_object_unref);
    return result;
}

std::optional<QList<CalendarStoreEvent>> EdsCalendarStore::events(const QStringList& calendarIds, Date start,
                                                                  Date end) {
    QList<CalendarStoreEvent> result;
    const QByteArray expression = d->rangeExpression(start, end).toUtf8();
    for (const QString& id : calendarIds) {
        Core::EdsCalendar* calendar = d->find(id);
        // A calendar still connecting, or one that failed, has no events yet.
        if (!calendar || !calendar->client) continue;
        EdsEventReader reader(calendar->client, id, d->currentCancellable());
        if (!reader.read(expression, start, end, &result)) {
            if (g_cancellable_is_cancelled(d->currentCancellable())) return std::nullopt;
            d->trace(QStringLiteral("could not read ") + id + QStringLiteral(": ") + reader.error());
        }
    }
    return result;
}

void EdsCalendarStore::reset() {
    for (const auto& calendar : d->calendars) {
        if (!calendar->client) {
            if (!calendar->connecting) d->connect(*calendar);
            continue;
        }
        // The local zone may have changed since the client was made.
        e_cal_client_set_default_timezone(calendar->client, EdsEventReader::localZone());
        if (e_client_check_refresh_supported(E_CLIENT(calendar->client)))
            e_client_refresh(
                E_CLIENT(calendar->client), d->currentCancellable(),
                [](GObject* client, GAsyncResult* result, gpointer data) {
                    std::unique_ptr<std::weak_ptr<Core>> weak(static_cast<std::weak_ptr<Core>*>(data));
                    GError* error = nullptr;
                    const bool refreshed = e_client_refresh_finish(E_CLIENT(client), result, &error);
                    const QString message = takeError(error);
                    if (const std::shared_ptr<Core> self = weak->lock(); self && !refreshed)
                        self->trace(QStringLiteral("refresh failed: ") + message);
                },
                new std::weak_ptr<Core>(d));
    }
}

void EdsCalendarStore::watch(Date start, Date end, std::function<void()> changed) {
    d->watching = true;
    d->watchStart = start;
    d->watchEnd = end;
    d->changed = std::move(changed);
    for (const auto& calendar : d->calendars)
        d->makeView(*calendar);
}

void EdsCalendarStore::unwatch() {
    d->watching = false;
    d->changed = {};
    for (const auto& calendar : d->calendars)
        calendar->dropView();
}

void EdsCalendarStore::cancel() {
    std::lock_guard lock(d->cancelMutex);
    g_cancellable_cancel(d->cancellable);
}

void EdsCalendarStore::renew() {
    std::lock_guard lock(d->cancelMutex);
    if (!g_cancellable_is_cancelled(d->cancellable)) return;
    g_object_unref(d->cancellable);
    d->cancellable = g_cancellable_new();
}

} // namespace vesk
