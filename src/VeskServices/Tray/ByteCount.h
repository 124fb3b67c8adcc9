#pragma once

#include <QString>

namespace vesk {

// A byte count as file sizes are shown: decimal units, "Zero KB" for 0, whole bytes
// below 1000 ("1 byte", "999 bytes"), whole KB, MB with one decimal, GB and larger
// units with two, trailing zeros dropped ("1.5 MB", "2 GB").
QString formatByteCount(qint64 bytes);

} // namespace vesk
