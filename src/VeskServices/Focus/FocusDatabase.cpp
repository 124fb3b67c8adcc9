#include "VeskServices/Focus/FocusDatabase.h"

#include <QDir>
#include "VeskKit/Foundation/Files.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vesk {

namespace {

const QString assertionsFile = QStringLiteral("Assertions.json");
const QString configurationsFile = QStringLiteral("ModeConfigurations.json");
// The real files are a few kilobytes; anything far larger is not one of them.
constexpr qint64 maximumFileSize = 16 * 1024 * 1024;

std::optional<QJsonObject> readObject(const QString& path) {
    const files::FileRead file = files::readRegularFile(path, maximumFileSize);
    if (!file.ok()) return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.bytes);
    if (!document.isObject()) return std::nullopt;
    return document.object();
}

// The member must be an array whose first element is an object.
std::optional<QJsonObject> firstObjectIn(const QJsonObject& object, const QString& member) {
    const QJsonValue value = object.value(member);
    if (!value.isArray()) return std::nullopt;
    const QJsonArray array = value.toArray();
    if (array.isEmpty() || !array.first().isObject()) return std::nullopt;
    return array.first().toObject();
}

std::optional<QJsonObject> objectIn(const QJsonObject& object, const QString& member) {
    const QJsonValue value = object.value(member);
    if (!value.isObject()) return std::nullopt;
    return value.toObject();
}

} // namespace

FocusDatabase::FocusDatabase(QString folder) : m_folder(std::move(folder)) {}

QString FocusDatabase::defaultFolder() {
    return QDir::homePath() + QStringLiteral("/Library/DoNotDisturb/DB");
}

bool FocusDatabase::isReadable() const {
    const QFileInfo info(m_folder + QLatin1Char('/') + assertionsFile);
    return info.isFile() && info.isReadable();
}

std::optional<FocusModeIdentity> FocusDatabase::activeMode() const {
    const auto assertions = readObject(m_folder + QLatin1Char('/') + assertionsFile);
    if (!assertions) return std::nullopt;
    const auto store = firstObjectIn(*assertions, QStringLiteral("data"));
    if (!store) return std::nullopt;
    const auto record = firstObjectIn(*store, QStringLiteral("storeAssertionRecords"));
    if (!record) return std::nullopt;
    const auto details = objectIn(*record, QStringLiteral("assertionDetails"));
    if (!details) return std::nullopt;
    const QJsonValue identifier = details->value(QStringLiteral("assertionDetailsModeIdentifier"));
    if (!identifier.isString()) return std::nullopt;

    const auto configurations = readObject(m_folder + QLatin1Char('/') + configurationsFile);
    if (!configurations) return std::nullopt;
    const auto configurationStore = firstObjectIn(*configurations, QStringLiteral("data"));
    if (!configurationStore) return std::nullopt;
    const auto modes = objectIn(*configurationStore, QStringLiteral("modeConfigurations"));
    if (!modes) return std::nullopt;
    const auto configuration = objectIn(*modes, identifier.toString());
    if (!configuration) return std::nullopt;
    const auto mode = objectIn(*configuration, QStringLiteral("mode"));
    if (!mode) return std::nullopt;

    FocusModeIdentity identity;
    const QJsonValue name = mode->value(QStringLiteral("name"));
    identity.name = name.isString() ? name.toString() : QStringLiteral("Focus");
    const QJsonValue symbol = mode->value(QStringLiteral("symbolImageName"));
    if (symbol.isString()) identity.symbol = symbol.toString();
    return identity;
}

} // namespace vesk
