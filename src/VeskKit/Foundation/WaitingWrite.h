#pragma once

#include <QString>

#include <functional>

namespace vesk {

// One file whose owner holds more than the disk may: a write that fails (a full disk)
// waits. What it would have written stays with its owner, the reason is traced, and the
// owner writes again at its next change and at every ending (writeIfWaiting), each time
// from what it holds then, merged against the file as it is then where another copy of
// the program shares it. The write is the owner's: true when the file now holds
// everything, else false with the system's reason. Used on one thread at a time.
class WaitingWrite {
public:
    using Write = std::function<bool(QString* error)>;

    // `what` names the file in the trace ("quickapps.json", "the tray index").
    WaitingWrite(QString what, Write write);

    // Writes now; true when the file holds everything.
    bool write();
    // At an ending, or whenever a retry is due: writes only when something waits. True
    // when nothing waits any more.
    bool writeIfWaiting();
    bool isWaiting() const { return m_waiting; }
    // Why the last write failed; empty while nothing waits.
    const QString& reason() const { return m_reason; }

private:
    QString m_what;
    Write m_write;
    bool m_waiting = false;
    QString m_reason;
};

} // namespace vesk
