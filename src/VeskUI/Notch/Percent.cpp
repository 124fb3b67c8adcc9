#include "VeskUI/Notch/Percent.h"

namespace vesk {

QString percentText(double level) {
    return QString::number(percentValue(level)) + u'%';
}

} // namespace vesk
