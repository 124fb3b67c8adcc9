#pragma once

#include "VeskPlatform/Calendar/CalendarStore.h"

#include <memory>

namespace vesk::edsCalendarModule {

// Evolution Data Server's calendars come from a module of their own, so the program
// maps libecal and its fifty-odd libraries only once the calendar is first read.

// The module's one export: a new store for the calling thread, owned by the caller, that
// tells its failures to `trace`.
using Factory = CalendarStore* (*)(void (*trace)(const QString& message));
inline constexpr char factoryName[] = "vesk_eds_calendar_store_create_v1";
inline constexpr char fileName[] = "vesk-calendar-eds.so";

// The module beside the program, or in the build tree's bin folder for the programs
// built elsewhere in it (tests, tools). Ask on the main thread.
QString defaultPath();

// Loads the module at `path` (absolute: never searched for) and makes its store on the
// calling thread; when the module or its libraries cannot be loaded, a store that reads
// "restricted" and says why.
std::unique_ptr<CalendarStore> load(const QString& path);

// The calendar service's store: loads the module on its first call, on the store's
// thread, so neither the program's start nor its main thread waits for the loading.
std::unique_ptr<CalendarStore> deferred(const QString& path);

} // namespace vesk::edsCalendarModule
