#include "VeskServices/QuickApps/QuickApp.h"

#include "VeskKit/Foundation/Json.h"

namespace vesk {

QJsonObject QuickApp::toJson() const {
    QJsonObject object{{QStringLiteral("id"), json::fromUuid(id)},
                       {QStringLiteral("bundleID"), bundleID},
                       {QStringLiteral("name"), name}};
    json::insertOptional(object, QStringLiteral("path"), path, [](const QString& p) { return p; });
    return object;
}

std::optional<QuickApp> QuickApp::fromJson(const QJsonObject& object, QString* error) {
    json::Reader r(object, QStringLiteral("quick app"));
    QuickApp app;
    app.id = r.uuid(QStringLiteral("id"));
    app.bundleID = r.string(QStringLiteral("bundleID"));
    app.name = r.string(QStringLiteral("name"));
    app.path = r.optionalString(QStringLiteral("path"));
    if (!r.ok()) {
        if (error) *error = r.error();
        return std::nullopt;
    }
    return app;
}

} // namespace vesk
