#pragma once

#include "VeskKit/Foundation/SerialQueue.h"

#include <QObject>
#include <QString>

#include <memory>

namespace vesk {

class SettingsStore;

// What "Launch at login" means here: the freedesktop autostart entry. At start the
// setting takes the entry's state (so an entry removed with the desktop's own tool
// shows as off); afterwards every change of the setting writes or removes the entry.
// A write or removal that fails puts the setting back to what the entry really is and
// says why in the trace. File work runs on a queue of its own; the outcome comes back to
// the main thread.
class LaunchAtLogin final : public QObject {
    Q_OBJECT
public:
    // `scheduler` replaces the queue's own thread (tests); `program` is what the entry
    // starts, the running executable by default.
    LaunchAtLogin(SettingsStore& settings, QString entryPath, QString program = QString(),
                  Scheduler* scheduler = nullptr, QObject* parent = nullptr);
    ~LaunchAtLogin() override;

    const QString& entryPath() const { return m_entryPath; }

Q_SIGNALS:
    // The entry's state was read or changed (after the setting was updated).
    void settled(bool enabled);

private:
    void settingsChanged();
    void apply(bool wanted, quint64 request);
    void adopt(bool enabled);

    SettingsStore& m_settings;
    QString m_entryPath;
    QString m_program;
    std::unique_ptr<SerialQueue> m_queue;
    // The state the setting and the entry last agreed on; none until the first read.
    std::optional<bool> m_last;
    // Only the newest change's outcome counts: a quick on-then-off must end off.
    quint64 m_request = 0;
};

} // namespace vesk
