#pragma once

#include "Results.h"

#include <QString>

namespace vesk::bench {

// The table, as plain text for a terminal and for the README.
QString report(const Config& config, const Environment& environment, const SubjectResult& program,
               const SubjectResult& floor);

} // namespace vesk::bench
