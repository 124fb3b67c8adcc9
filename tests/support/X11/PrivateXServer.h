#pragma once

#include "support/EventLoop.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vesk::test {

// An X server of the test's own, for a program to run on (and to stop under it).
// Stopped by the destructor.
class PrivateXServer {
public:
    // `keepState`: the server keeps what clients set (monitors, keymaps) when the last
    // client leaves, instead of starting afresh.
    explicit PrivateXServer(QString screen = QStringLiteral("1280x800x24"), bool keepState = false)
        : m_screen(std::move(screen)), m_keepState(keepState) {}
    ~PrivateXServer() { stop(); }

    // Starts Xvfb on a free display number, or on `display` again; false (see error())
    // when it did not come up.
    bool start(const QString& display = {}) {
        m_process.setStandardErrorFile(QProcess::nullDevice());
        // It writes its display number once it takes connections.
        QStringList arguments{QStringLiteral("-displayfd"),
                              QStringLiteral("1"),
                              QStringLiteral("-screen"),
                              QStringLiteral("0"),
                              m_screen,
                              QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")};
        if (m_keepState) arguments.append(QStringLiteral("-noreset"));
        if (!display.isEmpty()) arguments.prepend(display);
        m_process.start(QStringLiteral("Xvfb"), arguments);
        QByteArray said;
        if (!test::processEventsUntil([&] {
                said += m_process.readAllStandardOutput();
                return said.contains('\n') || m_process.state() == QProcess::NotRunning;
            }) ||
            !said.contains('\n')) {
            m_error = QStringLiteral("Xvfb did not start");
            return false;
        }
        m_display = QLatin1Char(':') + QString::fromLatin1(said.trimmed());
        return true;
    }
    void stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(test::patienceMs)) m_process.kill();
        m_process.waitForFinished(test::patienceMs);
    }
    const QString& display() const { return m_display; }
    const QString& error() const { return m_error; }

private:
    QString m_screen;
    bool m_keepState = false;
    QProcess m_process;
    QString m_display;
    QString m_error;
};

} // namespace vesk::test
