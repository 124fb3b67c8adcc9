#pragma once

#include "Vesk/Permissions/Permission.h"
#include "VeskKit/Diagnostics/DiagnosticsReport.h"
#include "VeskServices/Bluetooth/BluetoothService.h"

#include <QSizeF>

#include <functional>
#include <optional>

// The rows the application adds to the diagnostics report.
namespace vesk::diagnostics {

// What the services report, as the "Services" section shows it. Values of services
// that do not exist (yet) stay empty and read "—".
struct ServiceFacts {
    bool universalMediaAdapter = false;
    // Whether the keys can be taken here, and whether the tap takes them now.
    bool hasAccessibility = false;
    bool interceptingKeys = false;
    bool brightnessAvailable = false;
    std::optional<BluetoothStartResult> bluetooth;
    // No Bluetooth daemon answers: nothing was denied, there is nothing to use.
    bool bluetoothAbsent = false;
    QString calendarAccess; // the calendar service's access case name
    QString push;           // the push registration as it prints
    bool keepingAwake = false;
    bool updatesAvailable = false;
    // What loading the settings file found wrong and did about it; empty when it read
    // whole, and then the section has no row for it.
    QString settingsFile;
};

inline QString none() {
    return QString(QChar(0x2014));
}

// "Display <id>", "<w>×<h>" and the notch as "<w>×<h>" or "none (synthetic)".
DiagnosticsReport::Screen screen(quint32 displayId, QSizeF frameSize, std::optional<QSizeF> hardwareNotch);
// One row per permission in declaration order: its name and its state's case name;
// Bluetooth reads "unavailable" when no Bluetooth daemon answers.
QList<DiagnosticsReport::Row> permissionRows(const std::function<PermissionState(Permission)>& state,
                                             bool bluetoothAbsent = false);
QList<DiagnosticsReport::Row> serviceRows(const ServiceFacts& facts);
// The synced store's row, only when there is something to say about it: why it cannot
// be opened, or that a damaged store was kept aside and where.
QList<DiagnosticsReport::Row> storeRows(const std::optional<QString>& notice);

} // namespace vesk::diagnostics
