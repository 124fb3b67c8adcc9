#pragma once

#include "VeskKit/Foundation/StepLevel.h"

#include <QString>

namespace vesk {

// percentValue followed by a percent sign ("29%"): the text the notch draws and the
// text it measures to size itself.
QString percentText(double level);

} // namespace vesk
