#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QStringList>

#include <functional>

namespace vesk::bench {

// A helper program of the benchmark whose standard output is read line by line as it
// comes; each line goes to `onLine`. Standard error goes to a log file.
class LineHelper : public QObject {
public:
    LineHelper(QString name, QString program, QStringList arguments, QString errorLog);
    ~LineHelper() override;

    std::function<void(const QByteArray&)> onLine;

    bool start();
    bool running() const { return m_process.state() == QProcess::Running; }
    void write(const QByteArray& line);
    void stop();
    const QString& name() const { return m_name; }
    QString failure() const;

private:
    void readLines();

    QString m_name;
    QString m_program;
    QStringList m_arguments;
    QString m_errorLog;
    QProcess m_process;
    QByteArray m_partial;
};

} // namespace vesk::bench
