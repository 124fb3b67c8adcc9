#pragma once

#include <QObject>

namespace vesk {

// Whether the user's screen is locked, as the session reports it.
class SessionEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Begins watching. The state read at the start is taken silently; only later
    // changes are announced.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isLocked() const = 0;

Q_SIGNALS:
    // Once per change of the locked state.
    void lockedChanged(bool locked);
};

} // namespace vesk
