#include "support/DBusFixture.h"

#include "support/EventLoop.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QThread>
#include <QUuid>

namespace vesk::test {

namespace {

// How long the destructor waits for a name to leave a bus: a stopped process's names go
// at once, so this is only reached by a connection the test still holds a copy of.
constexpr int goneMs = 3000;

std::optional<QByteArray> environmentValue(const char* name) {
    if (!qEnvironmentVariableIsSet(name)) return std::nullopt;
    return qgetenv(name);
}

void restoreEnvironment(const char* name, const std::optional<QByteArray>& value) {
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

std::unique_ptr<QProcess> startDaemon(QString* address, QString* error, const QString& config = {}) {
    auto process = std::make_unique<QProcess>();
    // A session-type configuration also serves as the fake system bus: the real
    // system configuration needs root-owned policy files.
    process->start(QStringLiteral("dbus-daemon"),
                   {config.isEmpty() ? QStringLiteral("--session") : QStringLiteral("--config-file=") + config,
                    QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!process->waitForStarted(patienceMs)) {
        *error = QStringLiteral("dbus-daemon did not start: ") + process->errorString();
        return nullptr;
    }
    QDeadlineTimer deadline(patienceMs);
    while (!process->canReadLine() && !deadline.hasExpired())
        process->waitForReadyRead(100);
    *address = QString::fromUtf8(process->readLine()).trimmed();
    if (address->isEmpty()) {
        *error = QStringLiteral("dbus-daemon printed no address");
        return nullptr;
    }
    return process;
}

void endProcess(QProcess* process) {
    if (!process || process->state() == QProcess::NotRunning) return;
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}

struct Daemon {
    std::unique_ptr<QProcess> process;
    QString address;

    // The running daemon's address, starting it first when there is none.
    QString ensure(QString* error) {
        if (!process || process->state() != QProcess::Running) process = startDaemon(&address, error);
        return process ? address : QString();
    }
};

Daemon& processSession() {
    static Daemon daemon;
    return daemon;
}

Daemon& processSystem() {
    static Daemon daemon;
    return daemon;
}

} // namespace

PrivateBuses::PrivateBuses(const QString& sessionConfig)
    : m_previousSession(environmentValue("DBUS_SESSION_BUS_ADDRESS")),
      m_previousSystem(environmentValue("DBUS_SYSTEM_BUS_ADDRESS")) {
    m_connectionTag = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (sessionConfig.isEmpty())
        m_sessionAddress = processSession().ensure(&m_error);
    else
        m_ownSession = startDaemon(&m_sessionAddress, &m_error, sessionConfig);
    if (!ok()) return;
    m_systemAddress = processSystem().ensure(&m_error);
    if (!ok()) return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_sessionAddress.toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_systemAddress.toUtf8());
}

PrivateBuses::~PrivateBuses() {
    // The test's own connections: their unique names, to see them leave the buses.
    QString sessionName;
    QString systemName;
    if (ok()) {
        sessionName = session().baseService();
        systemName = system().baseService();
    }
    for (auto it = m_mocks.rbegin(); it != m_mocks.rend(); ++it) {
        stop(it->process.get());
        if (ok()) waitUntilGone(it->busName, it->onSystemBus);
    }
    if (ok()) {
        // Asked from the process's own connections, which stay.
        QDBusConnection::disconnectFromBus(QStringLiteral("vesk-test-session-") + m_connectionTag);
        QDBusConnection::disconnectFromBus(QStringLiteral("vesk-test-system-") + m_connectionTag);
        for (const auto& [name, onSystemBus] : {std::pair{sessionName, false}, std::pair{systemName, true}}) {
            if (name.isEmpty() || (!onSystemBus && m_ownSession)) continue;
            QDBusConnection bus = onSystemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
            QDeadlineTimer deadline(goneMs);
            while (bus.interface() && bus.interface()->isServiceRegistered(name).value() && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }
    endProcess(m_ownSession.get());
    restoreEnvironment("DBUS_SESSION_BUS_ADDRESS", m_previousSession);
    restoreEnvironment("DBUS_SYSTEM_BUS_ADDRESS", m_previousSystem);
}

void PrivateBuses::endProcessBuses() {
    endProcess(processSession().process.get());
    endProcess(processSystem().process.get());
    processSession().process.reset();
    processSystem().process.reset();
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

void PrivateBuses::waitUntilGone(const QString& busName, bool onSystemBus) const {
    waitForOwner(busName, onSystemBus, false, goneMs);
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
    m_mocks.push_back({std::move(process), busName, onSystemBus});
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
    endProcess(process);
}

} // namespace vesk::test
