#include "support/Session/DBusMockControl.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>

Q_DECLARE_METATYPE(vesk::test::DBusMockMethod)

namespace vesk::test {

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMockMethod& method) {
    argument.beginStructure();
    argument << method.name << method.inSignature << method.outSignature << method.code;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMockMethod& method) {
    argument.beginStructure();
    argument >> method.name >> method.inSignature >> method.outSignature >> method.code;
    argument.endStructure();
    return argument;
}

namespace {

const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

void registerTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusMockMethod>();
        qDBusRegisterMetaType<QList<DBusMockMethod>>();
        return true;
    }();
    Q_UNUSED(registered);
}

QVariant unwrapped(QVariant value) {
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

DBusMockControl::DBusMockControl(QDBusConnection bus, QString service, QString path)
    : m_bus(std::move(bus)), m_service(std::move(service)), m_path(std::move(path)) {
    registerTypes();
}

bool DBusMockControl::mockCall(const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(m_service, m_path, mockInterface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        m_lastError = method + QStringLiteral(": ") + reply.errorMessage();
        return false;
    }
    return true;
}

bool DBusMockControl::addMethod(const QString& interface, const DBusMockMethod& method) {
    return mockCall(QStringLiteral("AddMethod"),
                    {interface, method.name, method.inSignature, method.outSignature, method.code});
}

bool DBusMockControl::addProperty(const QString& interface, const QString& name, const QVariant& value) {
    return mockCall(QStringLiteral("AddProperty"),
                    {interface, name, QVariant::fromValue(QDBusVariant(value))});
}

bool DBusMockControl::updateProperties(const QString& interface, const QVariantMap& properties) {
    return mockCall(QStringLiteral("UpdateProperties"), {interface, properties});
}

bool DBusMockControl::emitSignal(const QString& interface, const QString& name, const QString& signature,
                                 const QVariantList& arguments) {
    return mockCall(QStringLiteral("EmitSignal"), {interface, name, signature, arguments});
}

bool DBusMockControl::addObject(const QString& path, const QString& interface, const QVariantMap& properties,
                                const QList<DBusMockMethod>& methods) {
    return mockCall(QStringLiteral("AddObject"), {path, interface, properties, QVariant::fromValue(methods)});
}

QVariantList DBusMockControl::call(const QString& interface, const QString& method,
                                   const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(m_service, m_path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        m_lastError = method + QStringLiteral(": ") + reply.errorMessage();
        return {};
    }
    return reply.arguments();
}

QList<QVariantList> DBusMockControl::methodCalls(const QString& method) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(m_service, m_path, mockInterface, QStringLiteral("GetMethodCalls"));
    message << method;
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, 10000);
    QList<QVariantList> calls;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        m_lastError = QStringLiteral("GetMethodCalls: ") + reply.errorMessage();
        return calls;
    }
    const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        quint64 timestamp = 0;
        QVariantList arguments;
        list.beginStructure();
        list >> timestamp >> arguments;
        list.endStructure();
        for (QVariant& argument : arguments)
            argument = unwrapped(argument);
        calls.append(arguments);
    }
    list.endArray();
    return calls;
}

} // namespace vesk::test
