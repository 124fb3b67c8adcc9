#pragma once

#include "VeskServices/Tray/TrayItem.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vesk {

// Reading and writing the tray's "index.json": a compact JSON array of items.
namespace tray_index {

enum class Condition {
    missing, // no file
    intact,  // every entry decoded
    damaged, // unreadable, not JSON, not an array, or some entries did not decode
};

struct Contents {
    Condition condition = Condition::missing;
    // Every entry that decoded, in file order.
    QList<TrayItem> items;
    // What went wrong, for the trace; empty when intact or missing.
    QString problem;
};

QByteArray encode(const QList<TrayItem>& items);
// A file cut short keeps the entries before the cut.
Contents decode(const QByteArray& bytes);
Contents read(const QString& path);

} // namespace tray_index

} // namespace vesk
