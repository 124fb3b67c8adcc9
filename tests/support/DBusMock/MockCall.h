#pragma once

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QString>
#include <QVariantList>

namespace vesk::test {

// The interface through which python3-dbusmock objects are changed from outside.
inline QString dbusMockInterface() {
    return QStringLiteral("org.freedesktop.DBus.Mock");
}

// Calls a method of a mock (on the test's own connection) and waits for the reply;
// an error reply fails the current test.
inline QDBusMessage mockCall(const QDBusConnection& bus, const QString& service, const QString& path,
                             const QString& interface, const QString& method, const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(args);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
}

// Sets a property through org.freedesktop.DBus.Properties, which makes dbusmock
// emit PropertiesChanged for it.
inline void mockSetProperty(const QDBusConnection& bus, const QString& service, const QString& path,
                            const QString& interface, const QString& name, const QVariant& value) {
    mockCall(bus, service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
             {interface, name, QVariant::fromValue(QDBusVariant(value))});
}

} // namespace vesk::test
