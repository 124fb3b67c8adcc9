#pragma once

#include "support/EventLoop.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <optional>

namespace vesk::test {

// A private PulseAudio daemon for one test process: a null sink named "test", serving
// on a socket in the process's own runtime folder (each test case runs in its own
// process with fresh XDG folders). Ended by the destructor.
class PulseDaemon {
public:
    PulseDaemon() = default;
    ~PulseDaemon() { kill(); }
    PulseDaemon(const PulseDaemon&) = delete;
    PulseDaemon& operator=(const PulseDaemon&) = delete;

    // Starts the daemon and waits until it answers. False (see error()) when it did not.
    bool start() {
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
        if (!m_process->waitForStarted(patienceMs)) {
            m_error = QStringLiteral("pulseaudio did not start: ") + m_process->errorString();
            return false;
        }
        for (QDeadlineTimer deadline(patienceMs);
             !deadline.hasExpired() && m_process->state() != QProcess::NotRunning; QThread::msleep(50))
            if (pactl({QStringLiteral("info")})) return true;
        m_error = QStringLiteral("pulseaudio never answered");
        return false;
    }
    // Ends the daemon at once, as a crash would.
    void kill() {
        if (!m_process || m_process->state() == QProcess::NotRunning) return;
        m_process->kill();
        m_process->waitForFinished(patienceMs);
    }

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    // "unix:<runtime>/pulse/native"
    QString server() const {
        return QStringLiteral("unix:") + runtimeFolder() + QStringLiteral("/pulse/native");
    }

    // Runs pactl against this daemon; its standard output, or nothing when it failed.
    std::optional<QString> pactl(const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PULSE_SERVER"), server());
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        process.setProcessEnvironment(environment);
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(QStringLiteral("pactl"), arguments);
        if (!process.waitForFinished(patienceMs) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return std::nullopt;
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    // The raw volume of each channel of a sink, as pactl reports it:
    // "Volume: front-left: 26214 /  40% / -23.88 dB,   front-right: 26214 /  40% / ..."
    QList<quint32> rawVolumes(const QString& sink) const {
        const QString output = pactl({QStringLiteral("get-sink-volume"), sink}).value_or(QString());
        static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
        QList<quint32> volumes;
        for (auto it = channel.globalMatch(output.section(QLatin1Char('\n'), 0, 0)); it.hasNext();)
            volumes.push_back(it.next().captured(1).toUInt());
        return volumes;
    }

private:
    static QString runtimeFolder() { return qEnvironmentVariable("XDG_RUNTIME_DIR"); }

    QTemporaryDir m_home{QDir::tempPath() + QStringLiteral("/vesk-pulse-home-XXXXXX")};
    std::unique_ptr<QProcess> m_process;
    QString m_error;
};

} // namespace vesk::test
