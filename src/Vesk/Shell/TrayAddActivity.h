#pragma once

#include "VeskKit/Activity/ActivityPayload.h"

#include <QList>

namespace vesk {

struct TrayItem;

// The activity that announces files a drop added to the tray. One item shows its name
// and size; several show their count. A later drop replaces a current one ("tray-add").
ActivityPayload trayAddActivity(const QList<TrayItem>& items, Date now);

// The activity that says a file or folder given to the tray could not be added, and
// why in the system's words. Kept apart from the announcement of what did arrive.
ActivityPayload trayAddFailedActivity(const QString& displayName, const QString& reason, Date now);

// The same for an item that could not leave the tray as asked (its file could not go
// to the trash), so it stayed.
ActivityPayload trayRemoveFailedActivity(const QString& displayName, const QString& reason, Date now);

// One of those as the tray tab's banner says it: "<title>: <reason>". A long name is
// shortened in its middle, so the reason always has room.
QString trayFailureLine(const ActivityPayload& payload);

} // namespace vesk
