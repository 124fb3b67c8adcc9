#include "VeskPlatform/Workspace/ChildEnvironment.h"

#include <QMutex>
#include <QProcess>

namespace vesk::childEnvironment {

namespace {

// Read from pool threads too (calendar lookups, thumbnailers).
QMutex lock;
QStringList own;

void remember(const QString& name) {
    const QMutexLocker locked(&lock);
    if (!own.contains(name)) own.append(name);
}

} // namespace

void setForThisProcess(const char* name, const QByteArray& value) {
    if (qEnvironmentVariableIsSet(name)) return;
    qputenv(name, value);
    remember(QString::fromLatin1(name));
}

void markPlatformForced() {
    remember(QStringLiteral("QT_QPA_PLATFORM"));
}

bool isPlatformForced() {
    return ownVariables().contains(QStringLiteral("QT_QPA_PLATFORM"));
}

QStringList ownVariables() {
    const QMutexLocker locked(&lock);
    return own;
}

QProcessEnvironment forChildren() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : ownVariables())
        environment.remove(name);
    return environment;
}

bool startDetached(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(forChildren());
    return process.startDetached();
}

} // namespace vesk::childEnvironment
