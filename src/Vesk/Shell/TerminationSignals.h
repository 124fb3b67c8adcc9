#pragma once

#include <QObject>

class QSocketNotifier;

namespace vesk {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread, so the program
// ends through its normal termination (services stopped, inhibitors released, the media
// adapter ended) rather than dying where it stands. The handler only writes the signal
// number into a pipe; a socket notifier reads it in the event loop. After the first
// request the default actions come back, so a second signal ends a stuck process.
// One instance per process.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the pipe or the handlers could not be set up (the signals then keep
    // their default actions).
    bool isInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readPipe();
    void restoreDefaults();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace vesk
