#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QObject>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace vesk::dbus {

// Reads of daemon state: short, so a hung daemon costs little; names that are not
// running answer at once.
inline constexpr int readTimeoutMs = 3000;

inline const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// QtDBus finds the parameter types of a SLOT() by name, and QDBusVariant has no name
// until something registers it: a subscription whose slot takes one would fail quietly
// whenever it is the first use in the process. Call before such a connect.
inline void registerSlotTypes() {
    qRegisterMetaType<QDBusVariant>();
}

// Sends `message` without blocking and hands the reply (or the error message) to
// `onReply` on the thread of `context`; nothing runs once `context` is gone.
inline void callAsync(const QDBusConnection& bus, const QDBusMessage& message, int timeoutMs,
                      QObject* context, std::function<void(const QDBusMessage&)> onReply) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, timeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, onReply = std::move(onReply)] {
                         watcher->deleteLater();
                         onReply(watcher->reply());
                     });
}

// A value as it arrives in a message argument: variants unwrapped, a{sv} as a map.
inline QVariant plainValue(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return plainValue(value.value<QDBusVariant>().variant());
    return value;
}

inline QVariantMap toVariantMap(const QVariant& value) {
    const QVariant plain = plainValue(value);
    if (plain.metaType() == QMetaType::fromType<QDBusArgument>()) return qdbus_cast<QVariantMap>(plain);
    return plain.toMap();
}

inline bool isError(const QDBusMessage& reply) {
    return reply.type() != QDBusMessage::ReplyMessage;
}

// A value of exactly type T once variants are unwrapped; none for any other type.
template <typename T> std::optional<T> valueOf(const QVariant& value) {
    const QVariant plain = plainValue(value);
    if (plain.metaType() != QMetaType::fromType<T>()) return std::nullopt;
    return plain.value<T>();
}

// The first argument of a reply as a T; none for an error, an empty reply or another type.
template <typename T> std::optional<T> replyValue(const QDBusMessage& reply) {
    if (isError(reply) || reply.arguments().isEmpty()) return std::nullopt;
    return valueOf<T>(reply.arguments().constFirst());
}

// org.freedesktop.DBus.Properties.Get of one property.
inline QDBusMessage propertyGet(const QString& service, const QString& path, const QString& interface,
                                const QString& name) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("Get"));
    message << interface << name;
    return message;
}

} // namespace vesk::dbus
