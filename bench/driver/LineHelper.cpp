#include "LineHelper.h"

#include <QFile>

namespace vesk::bench {

LineHelper::LineHelper(QString name, QString program, QStringList arguments, QString errorLog)
    : m_name(std::move(name)), m_program(std::move(program)), m_arguments(std::move(arguments)),
      m_errorLog(std::move(errorLog)) {
    m_process.setStandardErrorFile(m_errorLog);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &LineHelper::readLines);
}

LineHelper::~LineHelper() {
    stop();
}

bool LineHelper::start() {
    m_process.start(m_program, m_arguments);
    return m_process.waitForStarted(5000);
}

void LineHelper::write(const QByteArray& line) {
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(1000);
}

void LineHelper::stop() {
    // Whatever arrives while it ends may outlive the receiver's state.
    onLine = nullptr;
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QString LineHelper::failure() const {
    QFile log(m_errorLog);
    QString last;
    if (log.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
        last = QString::fromUtf8(lines.constLast());
    }
    QString text = m_name + QStringLiteral(" (") + m_program + QStringLiteral(")");
    if (m_process.state() == QProcess::NotRunning) text += QStringLiteral(" is not running");
    if (!last.isEmpty()) text += QStringLiteral(": ") + last;
    return text;
}

void LineHelper::readLines() {
    m_partial += m_process.readAllStandardOutput();
    qsizetype eol;
    while ((eol = m_partial.indexOf('\n')) >= 0) {
        const QByteArray line = m_partial.left(eol);
        m_partial.remove(0, eol + 1);
        if (onLine) onLine(line);
    }
}

} // namespace vesk::bench
