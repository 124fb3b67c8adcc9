#include "support/DBusFixture.h"

#include "support/EventLoop.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QThread>
#include <QUuid>

namespace vesk::test {

PrivateBuses::PrivateBuses(const QString& sessionConfig) {
    m_connectionTag = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!startDaemon(&m_sessionAddress, sessionConfig) || !startDaemon(&m_systemAddress)) return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_sessionAddress.toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_systemAddress.toUtf8());
}

PrivateBuses::~PrivateBuses() {
    QDBusConnection::disconnectFromBus(QStringLiteral("vesk-test-session-") + m_connectionTag);
    QDBusConnection::disconnectFromBus(QStringLiteral("vesk-test-system-") + m_connectionTag);
    // Mocks first, the daemons (started first) last.
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it)
        stop(it->get());
}

QProcess* PrivateBuses::startDaemon(QString* address, const QString& config) {
    auto process = std::make_unique<QProcess>();
    // A session-type configuration also serves as the fake system bus: the real
    // system configuration needs root-owned policy files.
    process->start(QStringLiteral("dbus-daemon"),
                   {config.isEmpty() ? QStringLiteral("--session") : QStringLiteral("--config-file=") + config,
                    QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!process->waitForStarted(patienceMs)) {
        m_error = QStringLiteral("dbus-daemon did not start: ") + process->errorString();
        return nullptr;
    }
    QDeadlineTimer deadline(patienceMs);
    while (!process->canReadLine() && !deadline.hasExpired())
        process->waitForReadyRead(100);
    *address = QString::fromUtf8(process->readLine()).trimmed();
    if (address->isEmpty()) {
        m_error = QStringLiteral("dbus-daemon printed no address");
        return nullptr;
    }
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

QDBusConnection PrivateBuses::session() const {
    return QDBusConnection::connectToBus(m_sessionAddress,
                                         QStringLiteral("vesk-test-session-") + m_connectionTag);
}

QDBusConnection PrivateBuses::system() const {
    return QDBusConnection::connectToBus(m_systemAddress,
                                         QStringLiteral("vesk-test-system-") + m_connectionTag);
}

bool PrivateBuses::waitForOwner(const QString& busName, bool onSystemBus, bool owned, int timeoutMs) const {
    QDBusConnection bus = onSystemBus ? system() : session();
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (bus.interface() && bus.interface()->isServiceRegistered(busName).value() == owned) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    return false;
}

QProcess* PrivateBuses::startMockProcess(const QStringList& args, const QString& busName, bool onSystemBus) {
    if (!ok()) return nullptr;
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's interpreter: the first python3 on PATH may lack Debian's modules.
    process->start(QStringLiteral("/usr/bin/python3"),
                   QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock")} + args);
    if (!process->waitForStarted(patienceMs)) {
        m_error = QStringLiteral("dbusmock did not start: ") + process->errorString();
        return nullptr;
    }
    QProcess* raw = process.get();
    m_processes.push_back(std::move(process));
    if (!waitForName(busName, onSystemBus)) {
        m_error = QStringLiteral("dbusmock never owned ") + busName;
        return nullptr;
    }
    return raw;
}

QProcess* PrivateBuses::startTemplate(const QString& templateName, const QString& busName, bool onSystemBus,
                                      const QString& parameters) {
    QStringList args;
    args << (onSystemBus ? QStringLiteral("--system") : QStringLiteral("--session"));
    args << QStringLiteral("--template") << templateName;
    if (!parameters.isEmpty()) args << QStringLiteral("--parameters") << parameters;
    return startMockProcess(args, busName, onSystemBus);
}

QProcess* PrivateBuses::startMock(const QString& busName, const QString& path, const QString& interface,
                                  bool onSystemBus) {
    QStringList args;
    args << (onSystemBus ? QStringLiteral("--system") : QStringLiteral("--session"));
    args << busName << path << interface;
    return startMockProcess(args, busName, onSystemBus);
}

void PrivateBuses::stop(QProcess* process) {
    if (!process || process->state() == QProcess::NotRunning) return;
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}

} // namespace vesk::test
