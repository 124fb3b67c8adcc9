#include "VeskKit/Foundation/WaitingWrite.h"

#include "VeskKit/Diagnostics/TraceLog.h"

namespace vesk {

WaitingWrite::WaitingWrite(QString what, Write write) : m_what(std::move(what)), m_write(std::move(write)) {}

bool WaitingWrite::write() {
    QString error;
    if (m_write(&error)) {
        if (m_waiting) TraceLog::trace(m_what + QStringLiteral(": what waited is written"));
        m_waiting = false;
        m_reason.clear();
        return true;
    }
    if (error.isEmpty()) error = QStringLiteral("unknown error");
    // Once per reason: a full disk would otherwise trace every keystroke.
    if (!m_waiting || error != m_reason)
        TraceLog::trace(m_what + QStringLiteral(" not written, kept in memory until it can be: ") + error);
    m_waiting = true;
    m_reason = error;
    return false;
}

bool WaitingWrite::writeIfWaiting() {
    return !m_waiting || write();
}

} // namespace vesk
