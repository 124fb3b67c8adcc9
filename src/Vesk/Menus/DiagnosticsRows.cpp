#include "Vesk/Menus/DiagnosticsRows.h"

#include <cmath>
#include <limits>

namespace vesk::diagnostics {

namespace {

// The fraction dropped; a size that is not a number within range counts as 0 rather
// than being converted into nonsense.
QString whole(double value) {
    if (!std::isfinite(value) || std::abs(value) >= double(std::numeric_limits<qint64>::max()))
        return QStringLiteral("0");
    return QString::number(static_cast<qint64>(std::trunc(value)));
}

QString dimensions(QSizeF size) {
    return whole(size.width()) + QChar(0x00D7) + whole(size.height());
}

QString orNone(const QString& text) {
    return text.isEmpty() ? none() : text;
}

QString unavailable() {
    return QStringLiteral("unavailable");
}

} // namespace

DiagnosticsReport::Screen screen(quint32 displayId, QSizeF frameSize, std::optional<QSizeF> hardwareNotch) {
    return {QStringLiteral("Display ") + QString::number(displayId), dimensions(frameSize),
            hardwareNotch ? dimensions(*hardwareNotch) : QStringLiteral("none (synthetic)")};
}

QList<DiagnosticsReport::Row> permissionRows(const std::function<PermissionState(Permission)>& state,
                                             bool bluetoothAbsent) {
    QList<DiagnosticsReport::Row> rows;
    for (Permission permission : allCases<Permission>())
        rows.append({displayName(permission), permission == Permission::bluetooth && bluetoothAbsent
                                                  ? unavailable()
                                                  : toRaw(state(permission))});
    return rows;
}

QList<DiagnosticsReport::Row> serviceRows(const ServiceFacts& facts) {
    QList<DiagnosticsReport::Row> rows{
        {QStringLiteral("Media adapter"),
         facts.universalMediaAdapter ? QStringLiteral("universal") : QStringLiteral("app-specific")},
        // "active" only while the keys are taken; that they could be is "available".
        {QStringLiteral("HUD suppression"), facts.interceptingKeys   ? QStringLiteral("active")
                                            : facts.hasAccessibility ? QStringLiteral("available")
                                                                     : unavailable()},
        {QStringLiteral("Brightness"),
         facts.brightnessAvailable ? QStringLiteral("available") : QStringLiteral("unavailable")},
        {QStringLiteral("Bluetooth"), facts.bluetoothAbsent ? unavailable()
                                      : facts.bluetooth     ? toRaw(*facts.bluetooth)
                                                            : none()},
        {QStringLiteral("Calendar"), orNone(facts.calendarAccess)},
        {QStringLiteral("Push"), orNone(facts.push)},
        {QStringLiteral("Keep awake"), facts.keepingAwake ? QStringLiteral("on") : QStringLiteral("off")},
        {QStringLiteral("Updates"),
         // Linux programs are updated by the package manager (Flatpak's included); only
         // a build that carries its own updater says otherwise.
         facts.updatesAvailable ? QStringLiteral("built-in updater") : QStringLiteral("package manager")},
    };
    // Only a settings file that needed mending is worth a line.
    if (!facts.settingsFile.isEmpty()) rows.append({QStringLiteral("Settings file"), facts.settingsFile});
    return rows;
}

QList<DiagnosticsReport::Row> storeRows(const std::optional<QString>& notice) {
    if (!notice) return {};
    return {{QStringLiteral("Store"), *notice}};
}

} // namespace vesk::diagnostics
