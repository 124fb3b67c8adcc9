#include "VeskPlatform/Calendar/EdsCalendarModule.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskPlatform/Calendar/DeferredCalendarStore.h"

#include <QFileInfo>
#include <QLibrary>

namespace vesk::edsCalendarModule {

namespace {

// Without the module there are no calendars to read: the store says so and why.
class UnavailableCalendarStore final : public CalendarStore {
public:
    explicit UnavailableCalendarStore(QString why) : m_why(std::move(why)) {}

    CalendarAccess access(QString* reason) override {
        if (reason) *reason = m_why;
        return CalendarAccess::restricted;
    }
    void open(std::function<void()> opened) override {
        if (opened) opened();
    }
    QList<CalendarStoreCalendar> calendars() override { return {}; }
    std::optional<QList<CalendarStoreEvent>> events(const QStringList&, Date, Date) override {
        return std::nullopt;
    }
    void reset() override {}
    void watch(Date, Date, std::function<void()>) override {}
    void unwatch() override {}
    void cancel() override {}
    void renew() override {}

private:
    QString m_why;
};

void trace(const QString& message) {
    TraceLog::trace(message);
}

} // namespace

QString defaultPath() {
    return files::besideProgram(QLatin1String(fileName));
}

std::unique_ptr<CalendarStore> load(const QString& path) {
    const auto unavailable = [&path](const QString& why) -> std::unique_ptr<CalendarStore> {
        return std::make_unique<UnavailableCalendarStore>(QStringLiteral("the calendar module ") + path +
                                                          QStringLiteral(" could not be loaded: ") + why);
    };
    // A relative name would be searched for in the library path, which is not ours.
    if (!QFileInfo(path).isAbsolute()) return unavailable(QStringLiteral("its path is not absolute"));
    if (!QFileInfo::exists(path)) return unavailable(QStringLiteral("it is missing"));
    // Never unloaded, not even as the program ends: the libraries it brings register
    // GLib types for the process's life, and a hung store may still be in its code.
    QLibrary library(path);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    const auto factory = reinterpret_cast<Factory>(library.resolve(factoryName));
    if (!factory) return unavailable(library.errorString());
    CalendarStore* store = factory(&trace);
    if (!store) return unavailable(QStringLiteral("it made no store"));
    return std::unique_ptr<CalendarStore>(store);
}

std::unique_ptr<CalendarStore> deferred(const QString& path) {
    return std::make_unique<DeferredCalendarStore>([path] { return load(path); });
}

} // namespace vesk::edsCalendarModule
