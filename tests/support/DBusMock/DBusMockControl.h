#pragma once

#include <QDBusConnection>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

namespace vesk::test {

// One method of a dbusmock object: name, in and out signatures, and the Python code
// that runs when it is called (`args`, `self` and `ret` as dbusmock defines them).
struct DBusMockMethod {
    QString name;
    QString inSignature;
    QString outSignature;
    QString code;
};

// Drives one python3-dbusmock object through its org.freedesktop.DBus.Mock interface,
// to add what a template lacks and to change or inspect the mock from a test. Each
// call waits for the reply; a failure returns false (or nothing) and sets lastError().
class DBusMockControl {
public:
    static inline const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

    DBusMockControl(QDBusConnection bus, QString service, QString path);

    bool addMethod(const QString& interface, const DBusMockMethod& method);
    bool addProperty(const QString& interface, const QString& name, const QVariant& value);
    bool addProperties(const QString& interface, const QVariantMap& properties);
    // Changes properties and emits PropertiesChanged for them.
    bool updateProperties(const QString& interface, const QVariantMap& properties);
    bool emitSignal(const QString& interface, const QString& name, const QString& signature,
                    const QVariantList& arguments);
    bool addObject(const QString& path, const QString& interface, const QVariantMap& properties,
                   const QList<DBusMockMethod>& methods = {});
    // Calls a method of the mocked object on any of its interfaces: its own, or the
    // mock's for a template's extras (upower's SetupDisplayDevice, bluez5's AddDevice).
    QVariantList call(const QString& interface, const QString& method, const QVariantList& arguments = {});
    // The arguments of every call of `method` so far, oldest first.
    QList<QVariantList> methodCalls(const QString& method);

    const QString& lastError() const { return m_lastError; }

private:
    bool send(const QString& interface, const QString& method, const QVariantList& arguments,
              QVariantList* answer);
    bool mockCall(const QString& method, const QVariantList& arguments);

    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    QString m_lastError;
};

} // namespace vesk::test
