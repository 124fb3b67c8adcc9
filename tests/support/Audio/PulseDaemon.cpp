#include "support/Audio/PulseDaemon.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace vesk::test {

PulseDaemon::PulseDaemon() : m_home(QDir::tempPath() + QStringLiteral("/vesk-pulse-home-XXXXXX")) {}

PulseDaemon::~PulseDaemon() {
    kill();
}

QString PulseDaemon::runtimeFolder() const {
    return QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
}

QString PulseDaemon::server() const {
    return QStringLiteral("unix:") + runtimeFolder() + QStringLiteral("/pulse/native");
}

bool PulseDaemon::start() {
    m_error.clear();
    if (runtimeFolder().isEmpty() || !m_home.isValid()) {
        m_error = QStringLiteral("no private runtime or home folder");
        return false;
    }
    QFile::remove(runtimeFolder() + QStringLiteral("/pulse/pid"));
    m_process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Its own home, so parallel tests never share cookies or saved volumes.
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    environment.remove(QStringLiteral("DISPLAY"));
    m_process->setProcessEnvironment(environment);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->start(
        QStringLiteral("pulseaudio"),
        {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-n"),
         QStringLiteral("--load=module-null-sink sink_name=test sink_properties=device.description=Test"),
         QStringLiteral("--load=module-native-protocol-unix")});
    if (!m_process->waitForStarted(5000)) {
        m_error = QStringLiteral("pulseaudio did not start: ") + m_process->errorString();
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (m_process->state() == QProcess::NotRunning) break;
        if (pactl({QStringLiteral("info")})) return true;
        QThread::msleep(50);
    }
    m_error = QStringLiteral("pulseaudio never answered");
    return false;
}

void PulseDaemon::kill() {
    if (!m_process || m_process->state() == QProcess::NotRunning) return;
    m_process->kill();
    m_process->waitForFinished(5000);
}

std::optional<QString> PulseDaemon::pactl(const QStringList& arguments) const {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PULSE_SERVER"), server());
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QList<quint32> PulseDaemon::rawVolumes(const QString& sink) const {
    // "Volume: front-left: 26214 /  40% / -23.88 dB,   front-right: 26214 /  40% / ..."
    const QString output = pactl({QStringLiteral("get-sink-volume"), sink}).value_or(QString());
    static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
    QList<quint32> volumes;
    for (auto it = channel.globalMatch(output.section(QLatin1Char('\n'), 0, 0)); it.hasNext();)
        volumes.push_back(it.next().captured(1).toUInt());
    return volumes;
}

} // namespace vesk::test
