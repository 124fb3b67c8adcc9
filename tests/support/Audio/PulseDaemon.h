#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace vesk::test {

// A private PulseAudio daemon for one test process: a null sink named "test", serving
// on a socket in the process's own runtime folder (each test case runs in its own
// process with fresh XDG folders). Ended by the destructor.
class PulseDaemon {
public:
    PulseDaemon();
    ~PulseDaemon();
    PulseDaemon(const PulseDaemon&) = delete;
    PulseDaemon& operator=(const PulseDaemon&) = delete;

    // Starts the daemon and waits until it answers. False (see error()) when it did not.
    bool start();
    // Ends the daemon at once, as a crash would.
    void kill();

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    // "unix:<runtime>/pulse/native"
    QString server() const;

    // Runs pactl against this daemon; its standard output, or nothing when it failed.
    std::optional<QString> pactl(const QStringList& arguments) const;
    // The raw volume of each channel of a sink, as pactl reports it.
    QList<quint32> rawVolumes(const QString& sink) const;

private:
    QString runtimeFolder() const;

    QTemporaryDir m_home;
    std::unique_ptr<QProcess> m_process;
    QString m_error;
};

} // namespace vesk::test
