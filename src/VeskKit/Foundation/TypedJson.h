#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// JSON text that keeps the stored value types apart. Qt's own JSON classes turn a whole
// double such as 12.0 into the integer 12, so a double setting would come back from the
// file as an integer. Here a double is always written with a fraction or an exponent
// ("12.0", "1e+20") and read back as a double; a number without either is an integer.
namespace vesk::json {

// Values: bool, qint64 (and other integers), double, QString, QVariantList, QVariantMap,
// nested freely. Doubles that are not finite and values of other types are written as null.
QByteArray writeTyped(const QVariantMap& object);

// The top-level object, or nothing when the text is not a JSON object. Null members of
// the top-level object are left out; nulls inside arrays and dictionaries read as an
// invalid QVariant. Integers beyond the 64-bit range read as doubles.
std::optional<QVariantMap> readTyped(const QByteArray& text, QString* error = nullptr);

// What can be kept of a damaged document: the top-level members that were read whole
// before the first error, in a text cut short or broken further on. Empty when the text
// does not begin as an object.
QVariantMap readTypedMembers(const QByteArray& text);

} // namespace vesk::json
