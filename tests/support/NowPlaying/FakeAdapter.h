#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vesk::test {

// A stand-in for vesk-media-adapter: a shell script in a folder of its own that logs
// every run's arguments, and whose "stream" run copies to its standard output exactly
// what the test writes into a pipe, one write at a time, until the test closes it.
class FakeAdapter {
public:
    // `interpreter` lets a test make a script that cannot be launched.
    explicit FakeAdapter(const QString& interpreter = QStringLiteral("/bin/sh"));
    ~FakeAdapter();

    bool ok() const { return m_ok; }
    QString folder() const { return m_folder.path(); }

    // Waits (running the event loop) until a stream run has the pipe open.
    bool openStream(int timeoutMs = 5000);
    void write(const QByteArray& bytes);
    // The stream run sees the end of its input and exits.
    void closeStream();
    // Waits until the last stream run has exited and been reaped.
    bool waitForStreamExit(int timeoutMs = 5000);

    // The arguments of every run so far, one line each, oldest first.
    QStringList calls() const;
    int streamRuns() const;

    void setTestExitCode(int code);
    void setTestHangs();

private:
    QTemporaryDir m_folder;
    int m_writer = -1;
    bool m_ok = false;
};

} // namespace vesk::test
