#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

// JSON in the forms stored files use: dates as seconds since 2001-01-01, UUIDs as
// upper-case canonical strings without braces, data as base64, absent optionals omitted.
namespace vesk::json {

QJsonValue fromDate(const Date& date);
QString fromUuid(const QUuid& uuid);
QString fromData(const QByteArray& data);

std::optional<Date> toDate(const QJsonValue& value);
std::optional<QUuid> toUuid(const QJsonValue& value);
std::optional<QByteArray> toData(const QJsonValue& value);

// Upper-case canonical text of a UUID, the form used everywhere it is shown or stored.
inline QString uuidString(const QUuid& uuid) {
    return fromUuid(uuid);
}

template <typename T, typename Convert>
void insertOptional(QJsonObject& object, const QString& key, const std::optional<T>& value, Convert convert) {
    if (value) object.insert(key, convert(*value));
}

// Reads the fields of one object. Each accessor returns a value (an empty one when the
// field is missing or of the wrong form); the first such failure is kept, so a caller
// reads every field and then checks ok() once.
class Reader {
public:
    explicit Reader(QJsonObject object, QString context = {});

    QString string(const QString& key);
    double number(const QString& key);
    qint64 integer(const QString& key);
    bool boolean(const QString& key);
    Date date(const QString& key);
    QUuid uuid(const QString& key);
    QByteArray data(const QString& key);
    QJsonArray array(const QString& key);
    QJsonObject object(const QString& key);

    // Missing or null is fine; present with the wrong form is a failure.
    std::optional<QString> optionalString(const QString& key);
    std::optional<double> optionalNumber(const QString& key);
    std::optional<qint64> optionalInteger(const QString& key);
    std::optional<bool> optionalBoolean(const QString& key);
    std::optional<Date> optionalDate(const QString& key);
    std::optional<QUuid> optionalUuid(const QString& key);
    std::optional<QByteArray> optionalData(const QString& key);

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

private:
    void fail(const QString& key, const char* what);
    bool present(const QString& key) const;

    QJsonObject m_object;
    QString m_context;
    QString m_error;
};

} // namespace vesk::json
