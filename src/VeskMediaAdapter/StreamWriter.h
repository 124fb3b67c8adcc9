#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>

namespace vesk::adapter {

class MprisWatcher;

// Writes the reported player as JSON lines on standard output: a full snapshot
// ("diff": false) first and whenever the reported player changes, then only the keys
// that changed ("diff": true, removed keys as null). Changes are gathered for the
// debounce interval before a line is written.
class StreamWriter : public QObject {
    Q_OBJECT
public:
    StreamWriter(MprisWatcher& watcher, int debounceMs, QObject* parent = nullptr);

    // The next line, if any, that the current state calls for; empty when nothing changed.
    QJsonObject nextLine(qint64 now);

Q_SIGNALS:
    // The reported player changed (its bus name, or empty).
    void reportedChanged(const QString& busName);

private:
    void flush();

    MprisWatcher& m_watcher;
    QTimer m_debounce;
    bool m_wroteFirst = false;
    QString m_lastReported;
    QJsonObject m_lastPayload;
    quint64 m_lastRevision = 0;
};

// Writes one line to standard output, whole; false when the reader has gone.
bool writeLine(const QJsonObject& line);

} // namespace vesk::adapter
