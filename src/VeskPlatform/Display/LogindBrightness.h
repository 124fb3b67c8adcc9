#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace vesk {

// Writes a backlight or LED level through logind's Session.SetBrightness, which needs no
// root. The call goes to the session path "auto" (the caller's session, or the user's
// display session) and, where logind does not know that path, to "self"; the path that
// answered is kept. Calls are asynchronous with a short timeout; use on the main thread.
class LogindBrightness final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        written,
        failedForNow, // e.g. the session is not in the foreground, or no answer in time
        unsupported,  // no logind, no such method, or not allowed: later writes fail too
    };

    explicit LogindBrightness(QObject* parent = nullptr);

    // subsystem "backlight" or "leds"; `done` runs on the main thread unless this is gone.
    void write(const QString& subsystem, const QString& name, quint32 value,
               std::function<void(Outcome)> done);

    static constexpr int timeoutMs = 2000;

private:
    void send(int pathIndex, const QString& subsystem, const QString& name, quint32 value,
              std::function<void(Outcome)> done);

    int m_pathIndex = 0;
};

} // namespace vesk
