// The calendar module's one export, found by name by the program's loader.
#include "VeskPlatform/Calendar/Eds/EdsCalendarStore.h"
#include "VeskPlatform/Calendar/EdsCalendarModule.h"

extern "C" __attribute__((visibility("default"))) vesk::CalendarStore*
vesk_eds_calendar_store_create_v1(void (*trace)(const QString& message)) {
    static_assert(
        std::is_same_v<decltype(&vesk_eds_calendar_store_create_v1), vesk::edsCalendarModule::Factory>);
    return new vesk::EdsCalendarStore(trace);
}
