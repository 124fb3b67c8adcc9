#pragma once

#include <QJsonObject>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace vesk::adapter {

// Milliseconds on a monotonic clock shared by the whole adapter.
qint64 monotonicMilliseconds();

// One MPRIS player as last read from the bus.
struct MprisPlayer {
    QString busName; // org.mpris.MediaPlayer2.<name>
    QString owner;   // the unique name its signals come from
    QString desktopEntry;
    QString playbackStatus; // "Playing", "Paused" or "Stopped"
    double rate = 1.0;
    QVariantMap metadata;
    std::optional<bool> shuffle;
    QString loopStatus;
    bool canSeek = false;

    // The position is known at one moment and moved on from there at the rate.
    bool positionKnown = false;
    qint64 positionMicroseconds = 0;
    qint64 positionAt = 0; // monotonicMilliseconds()
    // Bumped whenever the position stops following from the last one sent.
    quint64 positionRevision = 0;

    // Order in which players last started playing; 0 for never.
    quint64 playingOrder = 0;
    // Players are reported only once their properties have been read.
    bool loaded = false;

    bool isPlaying() const { return playbackStatus == QLatin1String("Playing"); }
    QString artUrl() const;
    QString trackId() const;
    QString title() const;

    // Microseconds at `now`, moved on at the rate while playing and kept within the length.
    qint64 positionNow(qint64 now) const;
    void setPosition(qint64 microseconds, qint64 now, bool explicitSeek);
    // Applies properties of org.mpris.MediaPlayer2.Player (changed or all); returns
    // whether anything a listener sees changed, and reports a new track.
    bool apply(const QVariantMap& properties, qint64 now, bool* newTrack);

    static QString trackIdOf(const QVariantMap& metadata);

    // The payload of the adapter's JSON lines, without artwork.
    QJsonObject payload(qint64 now) const;
};

} // namespace vesk::adapter
