#include "support/DBusMock/DBusMockControl.h"

#include "support/EventLoop.h"

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

DBusMockControl::DBusMockControl(QDBusConnection bus, QString service, QString path)
    : m_bus(std::move(bus)), m_service(std::move(service)), m_path(std::move(path)) {
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusMockMethod>();
        qDBusRegisterMetaType<QList<DBusMockMethod>>();
        return true;
    }();
    Q_UNUSED(registered);
}

bool DBusMockControl::send(const QString& interface, const QString& method, const QVariantList& arguments,
                           QVariantList* answer) {
    QDBusMessage message = QDBusMessage::createMethodCall(m_service, m_path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, patienceMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_lastError = method + QStringLiteral(": ") + reply.errorMessage();
        return false;
    }
    if (answer) *answer = reply.arguments();
    return true;
}

QVariantList DBusMockControl::call(const QString& interface, const QString& method,
                                   const QVariantList& arguments) {
    QVariantList answer;
    send(interface, method, arguments, &answer);
    return answer;
}

bool DBusMockControl::mockCall(const QString& method, const QVariantList& arguments) {
    return send(mockInterface, method, arguments, nullptr);
}

bool DBusMockControl::addMethod(const QString& interface, const DBusMockMethod& method) {
    return mockCall(QStringLiteral("AddMethod"),
                    {interface, method.name, method.inSignature, method.outSignature, method.code});
}

bool DBusMockControl::addProperty(const QString& interface, const QString& name, const QVariant& value) {
    return mockCall(QStringLiteral("AddProperty"),
                    {interface, name, QVariant::fromValue(QDBusVariant(value))});
}

bool DBusMockControl::addProperties(const QString& interface, const QVariantMap& properties) {
    return mockCall(QStringLiteral("AddProperties"), {interface, properties});
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

QList<QVariantList> DBusMockControl::methodCalls(const QString& method) {
    const QVariantList reply = call(mockInterface, QStringLiteral("GetMethodCalls"), {method});
    QList<QVariantList> calls;
    if (reply.isEmpty()) return calls;
    const QDBusArgument list = reply.constFirst().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        quint64 timestamp = 0;
        QVariantList arguments;
        list.beginStructure();
        list >> timestamp >> arguments;
        list.endStructure();
        for (QVariant& argument : arguments)
            while (argument.metaType() == QMetaType::fromType<QDBusVariant>())
                argument = argument.value<QDBusVariant>().variant();
        calls.append(arguments);
    }
    list.endArray();
    return calls;
}

} // namespace vesk::test
