#pragma once

#include <QObject>
#include <QString>

namespace vesk {

// Keeps the display from going idle while held.
class PowerAssertion : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Takes the assertion, replacing one already held. False when nothing on this
    // machine can take it; then nothing is held.
    virtual bool acquire(const QString& reason) = 0;
    // Lets it go; harmless when nothing is held.
    virtual void release() = 0;
    virtual bool isHeld() const = 0;

Q_SIGNALS:
    // Every channel refused or dropped an assertion that acquire() had accepted: nothing
    // is held any more. `reason` says what happened last, for people to read.
    void lost(const QString& reason);
};

} // namespace vesk
