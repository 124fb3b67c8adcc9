#pragma once

#include "LineHelper.h"
#include "Results.h"
#include "WindowLog.h"

#include <QList>

#include <memory>

namespace vesk::bench {

class Subject;

// Runs the measurements. Everything is seen from outside: /proc for the cost, the X
// watcher for windows and repaints, a bare libpulse subscriber for the sound server's
// own delivery. Nothing here judges a figure; a measurement that cannot be made is
// written down with its reason.
class Bench {
public:
    explicit Bench(Config config);
    ~Bench();

    // Starts the watcher and the subscriber; false (with error()) when either fails,
    // which means the environment is broken rather than the program.
    bool prepare();
    const QString& error() const { return m_error; }
    Environment environment() const;

    // Every figure of the program, and the floor's start-up, idle and playing figures.
    void run(SubjectResult& program, SubjectResult& floor);

private:
    struct Volume {
        qint64 readNs = 0;
        qint64 eventNs = 0;
        int percent = 0;
    };

    struct Measured {
        Subject* subject;
        SubjectResult* result;
    };

    bool startUp(Subject& subject, SubjectResult& result);
    // Measures the subjects still running over one and the same window.
    void measureTogether(const QList<Measured>& subjects, int seconds, const QString& what,
                         std::optional<Phase> SubjectResult::*phase);
    void measureLatency(Subject& subject, SubjectResult& result);
    std::optional<LoadResult> measureLoad(Subject& subject, SubjectResult& result);
    void measurePlaying(const QList<Measured>& subjects);
    std::optional<DeskResult> measureDesk(Subject& subject, SubjectResult& result);
    // Sends a click, move or key through the X watcher; the time the server had it.
    std::optional<qint64> fakeInput(const QByteArray& command);
    // Moves the pointer well below the notch, where no window of either program is, so
    // what is measured is the notch no pointer hovers.
    void pointerAway();

    // Waits until no window of `pid` has repainted for the quiet time, and, when a
    // picture is given, until the notch window shows it again.
    bool waitQuiet(quint32 pid, int timeoutMs, const std::optional<QString>& picture = std::nullopt);
    std::optional<QString> picture(quint32 pid);
    // Sets the sink volume with pactl; returns when pactl has finished.
    bool setVolume(int percent);
    // The first volume the subscriber read at or after `sinceNs` with that value.
    std::optional<Volume> delivered(int percent, qint64 sinceNs) const;
    int nextVolume(int wanted) const;

    Config m_config;
    QString m_error;
    WindowLog m_windows;
    std::unique_ptr<LineHelper> m_xwatch;
    std::unique_ptr<LineHelper> m_pulsewatch;
    bool m_pulseReady = false;
    int m_volume = -1; // the sink's volume as last set or read
    QList<Volume> m_volumes;
};

} // namespace vesk::bench
