#include "VeskMediaAdapter/StreamWriter.h"

#include "VeskMediaAdapter/MprisPlayer.h"
#include "VeskMediaAdapter/MprisWatcher.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QSet>

#include <cerrno>
#include <unistd.h>

namespace vesk::adapter {

namespace {

const QString elapsedKey = QStringLiteral("elapsedTime");

QJsonObject line(bool diff, const QJsonObject& payload) {
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("data")},
                       {QStringLiteral("diff"), diff},
                       {QStringLiteral("payload"), payload}};
}

} // namespace

StreamWriter::StreamWriter(MprisWatcher& watcher, int debounceMs, QObject* parent)
    : QObject(parent), m_watcher(watcher) {
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(std::max(0, debounceMs));
    connect(&m_debounce, &QTimer::timeout, this, &StreamWriter::flush);
    connect(&watcher, &MprisWatcher::ready, this, &StreamWriter::flush);
    connect(&watcher, &MprisWatcher::changed, this, [this] {
        if (m_watcher.isReady() && !m_debounce.isActive()) m_debounce.start();
    });
}

QJsonObject StreamWriter::nextLine(qint64 now) {
    const QString reported = m_watcher.reported();
    const QJsonObject payload = m_watcher.payload(now);
    const quint64 revision = m_watcher.positionRevision();
    if (!m_wroteFirst || reported != m_lastReported) {
        const bool reportedMoved = reported != m_lastReported;
        m_wroteFirst = true;
        m_lastReported = reported;
        m_lastPayload = payload;
        m_lastRevision = revision;
        if (reportedMoved) Q_EMIT reportedChanged(reported);
        return line(false, payload);
    }

    QJsonObject diff;
    QSet<QString> keys;
    for (const QString& key : payload.keys())
        keys.insert(key);
    for (const QString& key : m_lastPayload.keys())
        keys.insert(key);
    for (const QString& key : keys) {
        // The position moves on by itself; it is sent only when it stops following.
        if (key == elapsedKey) continue;
        const QJsonValue value = payload.value(key);
        if (value != m_lastPayload.value(key)) diff.insert(key, value.isUndefined() ? QJsonValue() : value);
    }
    if (revision != m_lastRevision || diff.contains(QStringLiteral("playing")) ||
        diff.contains(QStringLiteral("playbackRate"))) {
        const QJsonValue elapsed = payload.value(elapsedKey);
        diff.insert(elapsedKey, elapsed.isUndefined() ? QJsonValue() : elapsed);
    }
    m_lastPayload = payload;
    m_lastRevision = revision;
    if (diff.isEmpty()) return {};
    return line(true, diff);
}

void StreamWriter::flush() {
    m_debounce.stop();
    const QJsonObject next = nextLine(monotonicMilliseconds());
    if (next.isEmpty()) return;
    if (!writeLine(next)) QCoreApplication::exit(0);
}

bool writeLine(const QJsonObject& object) {
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += n;
    }
    return true;
}

} // namespace vesk::adapter
