#pragma once

#include "ProcessTree.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vesk::bench {

struct Config {
    QString program;
    QString floor;
    QString xwatch;
    QString pulsewatch;
    QString player;
    QString sink = QStringLiteral("bench");
    QString scratch;
    bool quick = false;
    int startups = 5;
    int settleMs = 5000;
    int idleSeconds = 60;
    int playingSeconds = 60;
    int samples = 50;
    int loadChanges = 1000;
    int quietMs = 300;
    int deskCycles = 10;
    int readyTimeoutMs = 10000;
};

struct Phase {
    Usage usage;
    int paints = 0;
    double paintsPerSecond() const { return usage.seconds > 0 ? paints / usage.seconds : 0; }
};

struct LatencySample {
    double shownMs = 0;     // pactl started -> first repaint of the notch window
    double deliveredMs = 0; // pactl started -> the bare subscriber read the new volume
};

struct LoadResult {
    enum class Shown { Same, Different, CannotTell, NoPicture };
    int changes = 0;
    double seconds = 0;
    double cpuMs = 0;
    int paints = 0;
    double rssBeforeMb = 0;
    double rssAfterMb = 0;
    int lastSet = 0;
    int delivered = 0;
    std::optional<int> lastDelivered;
    Shown shown = Shown::NoPicture;
};

// Opening the Desk with a click on the notch, the pointer resting on it, and closing it
// with Escape.
struct DeskResult {
    QList<double> firstRepaintMs; // from the click's release to the notch window's first repaint
    QList<double> firstPaintMs;   // to its first repaint at the Desk's size
    QList<double> lastPaintMs;  // to the last repaint of the opening (quiet 300 ms after)
    // Resident and private memory of the program with its child processes: at rest before
    // the first opening, 5 s after it, and at rest after the last cycle.
    double restMb = 0, restUssMb = 0;
    double openMb = 0, openUssMb = 0;
    double afterMb = 0, afterUssMb = 0;
    QString failure;
};

struct SubjectResult {
    QString label;
    QString program;
    QStringList failures; // what could not be measured, and why
    QList<double> startupMs;
    std::optional<Phase> idle;
    std::optional<Phase> playing;
    std::optional<QString> restingPicture; // the notch window once settled after start-up
    std::optional<bool> playerShown;       // the notch looked different while the player played
    QList<LatencySample> latency;
    QStringList latencyNotes;
    std::optional<LoadResult> load;
    std::optional<DeskResult> desk;
};

struct Environment {
    bool compositor = false;
    QString screen;
    QStringList polls; // backlight polls the machine makes the program run
};

} // namespace vesk::bench
