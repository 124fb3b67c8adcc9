#include "VeskKit/Foundation/Json.h"

#include <cmath>

namespace vesk::json {

QJsonValue fromDate(const Date& date) {
    return date.secondsSinceReferenceDate;
}

QString fromUuid(const QUuid& uuid) {
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

QString fromData(const QByteArray& data) {
    return QString::fromLatin1(data.toBase64());
}

std::optional<Date> toDate(const QJsonValue& value) {
    if (!value.isDouble() || !std::isfinite(value.toDouble())) return std::nullopt;
    return Date{value.toDouble()};
}

std::optional<QUuid> toUuid(const QJsonValue& value) {
    if (!value.isString()) return std::nullopt;
    const QUuid uuid = QUuid::fromString(value.toString());
    if (uuid.isNull()) return std::nullopt;
    return uuid;
}

std::optional<QByteArray> toData(const QJsonValue& value) {
    if (!value.isString()) return std::nullopt;
    auto decoded =
        QByteArray::fromBase64Encoding(value.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return std::nullopt;
    return *decoded;
}

Reader::Reader(QJsonObject object, QString context)
    : m_object(std::move(object)), m_context(std::move(context)) {}

void Reader::fail(const QString& key, const char* what) {
    if (!m_error.isEmpty()) return;
    const QString where = m_context.isEmpty() ? QString() : m_context + QStringLiteral(": ");
    m_error = where + QStringLiteral("field \"%1\" %2").arg(key, QLatin1String(what));
}

bool Reader::present(const QString& key) const {
    const auto it = m_object.constFind(key);
    return it != m_object.constEnd() && !it->isNull() && !it->isUndefined();
}

QString Reader::string(const QString& key) {
    auto v = optionalString(key);
    if (!v && ok()) fail(key, "is missing");
    return v.value_or(QString());
}

double Reader::number(const QString& key) {
    auto v = optionalNumber(key);
    if (!v && ok()) fail(key, "is missing");
    return v.value_or(0.0);
}

qint64 Reader::integer(const QString& key) {
    auto v = optionalInteger(key);
    if (!v && ok()) fail(key, "is missing");
    return v.value_or(0);
}

bool Reader::boolean(const QString& key) {
    auto v = optionalBoolean(key);
    if (!v && ok()) fail(key, "is missing");
    return v.value_or(false);
}

Date Reader::date(const QString& key) {
    auto v = optionalDate(key);
    if (!v && ok()) fail(key, "is missing");
    return v.value_or(Date{});
}

QUuid Reader::uuid(const QString& key) {
    auto v = optionalUuid(key);
    if (!v && ok()) fail(key, "is missing");
    return v.value_or(QUuid());
}

QByteArray Reader::data(const QString& key) {
    auto v = optionalData(key);
    if (!v && ok()) fail(key, "is missing");
    return v.value_or(QByteArray());
}

QJsonArray Reader::array(const QString& key) {
    if (!present(key)) {
        fail(key, "is missing");
        return {};
    }
    const QJsonValue v = m_object.value(key);
    if (!v.isArray()) fail(key, "is not an array");
    return v.toArray();
}

QJsonObject Reader::object(const QString& key) {
    if (!present(key)) {
        fail(key, "is missing");
        return {};
    }
    const QJsonValue v = m_object.value(key);
    if (!v.isObject()) fail(key, "is not an object");
    return v.toObject();
}

std::optional<QString> Reader::optionalString(const QString& key) {
    if (!present(key)) return std::nullopt;
    const QJsonValue v = m_object.value(key);
    if (!v.isString()) {
        fail(key, "is not a string");
        return std::nullopt;
    }
    return v.toString();
}

std::optional<double> Reader::optionalNumber(const QString& key) {
    if (!present(key)) return std::nullopt;
    const QJsonValue v = m_object.value(key);
    if (!v.isDouble() || !std::isfinite(v.toDouble())) {
        fail(key, "is not a number");
        return std::nullopt;
    }
    return v.toDouble();
}

std::optional<qint64> Reader::optionalInteger(const QString& key) {
    auto n = optionalNumber(key);
    if (!n) return std::nullopt;
    if (std::trunc(*n) != *n || std::fabs(*n) > 9.0e15) {
        fail(key, "is not an integer");
        return std::nullopt;
    }
    return static_cast<qint64>(*n);
}

std::optional<bool> Reader::optionalBoolean(const QString& key) {
    if (!present(key)) return std::nullopt;
    const QJsonValue v = m_object.value(key);
    if (!v.isBool()) {
        fail(key, "is not a Boolean");
        return std::nullopt;
    }
    return v.toBool();
}

std::optional<Date> Reader::optionalDate(const QString& key) {
    if (!present(key)) return std::nullopt;
    auto d = toDate(m_object.value(key));
    if (!d) fail(key, "is not a date");
    return d;
}

std::optional<QUuid> Reader::optionalUuid(const QString& key) {
    if (!present(key)) return std::nullopt;
    auto u = toUuid(m_object.value(key));
    if (!u) fail(key, "is not a UUID");
    return u;
}

std::optional<QByteArray> Reader::optionalData(const QString& key) {
    if (!present(key)) return std::nullopt;
    auto d = toData(m_object.value(key));
    if (!d) fail(key, "is not base64 data");
    return d;
}

} // namespace vesk::json
