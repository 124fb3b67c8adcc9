#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

#include <optional>

namespace vesk::bench {

// One program being measured, started with a home and config folders of its own so it
// starts as on a fresh account; its output goes to log files, never to the table.
class Subject : public QObject {
public:
    Subject(QString label, QString program, QString folder, QStringList arguments = {});
    ~Subject() override;

    const QString& label() const { return m_label; }
    const QString& program() const { return m_program; }

    // Starts the program; `startNs` is taken just before the process is created.
    bool start();
    void stop();
    bool running() const { return m_process.state() == QProcess::Running; }
    quint32 pid() const { return m_pid; }
    qint64 startNs() const { return m_startNs; }

    // How the last run ended, for the table: "exited with status 0 after 41 ms: <last line>".
    std::optional<QString> ending() const;

private:
    QString m_label;
    QString m_program;
    QString m_folder;
    QStringList m_arguments;
    QProcess m_process;
    quint32 m_pid = 0;
    qint64 m_startNs = 0;
    qint64 m_endNs = 0;
    bool m_stopping = false;
};

} // namespace vesk::bench
