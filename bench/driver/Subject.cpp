#include "Subject.h"

#include "Clock.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

namespace vesk::bench {

Subject::Subject(QString label, QString program, QString folder, QStringList arguments)
    : m_label(std::move(label)), m_program(std::move(program)), m_folder(std::move(folder)),
      m_arguments(std::move(arguments)) {
    for (const char* sub : {"home", "config/Vesk", "data", "cache"})
        QDir().mkpath(m_folder + QLatin1Char('/') + QLatin1String(sub));
    // A user who has been through the first-run window: otherwise it opens at every start.
    QFile defaults(m_folder + QStringLiteral("/config/Vesk/defaults.json"));
    if (defaults.open(QIODevice::WriteOnly)) defaults.write("{\"hasCompletedOnboarding\": true}\n");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_folder + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folder + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_folder + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_folder + QStringLiteral("/cache"));
    m_process.setProcessEnvironment(env);
    m_process.setStandardOutputFile(m_folder + QStringLiteral("/stdout.log"), QIODevice::Append);
    m_process.setStandardErrorFile(m_folder + QStringLiteral("/stderr.log"), QIODevice::Append);
    connect(&m_process, &QProcess::finished, this, [this] { m_endNs = monotonicNs(); });
}

Subject::~Subject() {
    stop();
}

bool Subject::start() {
    m_stopping = false;
    m_endNs = 0;
    m_startNs = monotonicNs();
    m_process.start(m_program, m_arguments);
    if (!m_process.waitForStarted(5000)) return false;
    m_pid = quint32(m_process.processId());
    return true;
}

void Subject::stop() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_stopping = true;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

std::optional<QString> Subject::ending() const {
    if (m_process.state() == QProcess::Running) return std::nullopt;
    if (m_process.error() == QProcess::FailedToStart)
        return QStringLiteral("could not be started: ") + m_process.errorString();
    if (m_stopping) return std::nullopt;
    QString text = m_process.exitStatus() == QProcess::CrashExit
                       ? QStringLiteral("crashed")
                       : QStringLiteral("exited with status %1").arg(m_process.exitCode());
    if (m_endNs > 0) text += QStringLiteral(" %1 ms after start").arg((m_endNs - m_startNs) / 1000000);
    QFile log(m_folder + QStringLiteral("/stderr.log"));
    if (log.open(QIODevice::ReadOnly)) {
        const QByteArray last = log.readAll().trimmed().split('\n').constLast();
        if (!last.isEmpty())
            text += QStringLiteral(" (\"") + QString::fromUtf8(last.left(120)) + QStringLiteral("\")");
    }
    return text;
}

} // namespace vesk::bench
