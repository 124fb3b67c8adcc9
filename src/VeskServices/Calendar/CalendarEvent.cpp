#include "VeskServices/Calendar/CalendarEvent.h"

#include <QDateTime>

namespace vesk {

bool CalendarEvent::isMultiDay() const {
    return start.toDateTime().toLocalTime().date() != end.toDateTime().toLocalTime().date();
}

} // namespace vesk
