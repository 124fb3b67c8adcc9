#pragma once

#include <QObject>
#include <QString>

namespace vesk {

// The desktop's do-not-disturb switch.
class DoNotDisturb : public QObject {
    Q_OBJECT
public:
    // Where the switch is read from, in order of preference.
    enum class Source { none, notificationServer, settingsPortal, gsettings };
    static QString sourceName(Source source);

    using QObject::QObject;

    // Begins following the switch. Exactly one `started` follows (with false when the
    // desktop has no switch this can read), then one `activeChanged` per change.
    virtual void start() = 0;
    // Stops following; nothing is emitted afterwards until the next start().
    virtual void stop() = 0;
    virtual Source source() const = 0;
    virtual bool isActive() const = 0;

Q_SIGNALS:
    void started(bool active);
    void activeChanged(bool active);
};

} // namespace vesk
