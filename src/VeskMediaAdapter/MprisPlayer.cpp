#include "VeskMediaAdapter/MprisPlayer.h"

#include "VeskDBus/AsyncDBusCall.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace vesk::adapter {

namespace {

// A jump smaller than this is the player's clock drifting from ours, not a seek.
constexpr qint64 seekThresholdMicroseconds = 500'000;

QStringList stringList(const QVariant& raw) {
    const QVariant value = dbus::plainValue(raw);
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        QStringList list;
        value.value<QDBusArgument>() >> list;
        return list;
    }
    if (value.typeId() == QMetaType::QString) return {value.toString()};
    return value.toStringList();
}

std::optional<qint64> integer(const QVariant& raw) {
    const QVariant value = dbus::plainValue(raw);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return value.toLongLong();
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::abs(number) > 9.0e18) return std::nullopt;
        return qint64(number);
    }
    default:
        return std::nullopt;
    }
}

void insertText(QJsonObject& payload, const char* key, const QString& text) {
    if (!text.isEmpty()) payload.insert(QLatin1String(key), text);
}

} // namespace

qint64 monotonicMilliseconds() {
    static QElapsedTimer timer = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return timer.elapsed();
}

QString MprisPlayer::artUrl() const {
    return dbus::plainValue(metadata.value(QStringLiteral("mpris:artUrl"))).toString();
}

QString MprisPlayer::trackId() const {
    const QVariant value = dbus::plainValue(metadata.value(QStringLiteral("mpris:trackid")));
    const QString id = value.userType() == qMetaTypeId<QDBusObjectPath>()
                           ? value.value<QDBusObjectPath>().path()
                           : value.toString();
    // The path MPRIS reserves for "no track".
    return id == QLatin1String("/org/mpris/MediaPlayer2/TrackList/NoTrack") ? QString() : id;
}

QString MprisPlayer::title() const {
    return dbus::plainValue(metadata.value(QStringLiteral("xesam:title"))).toString();
}

qint64 MprisPlayer::positionNow(qint64 now) const {
    if (!positionKnown) return 0;
    double position = double(positionMicroseconds);
    if (isPlaying()) position += rate * double(now - positionAt) * 1000.0;
    position = std::max(position, 0.0);
    if (const auto length = integer(metadata.value(QStringLiteral("mpris:length"))); length && *length > 0)
        position = std::min(position, double(*length));
    return qint64(position);
}

void MprisPlayer::setPosition(qint64 microseconds, qint64 now, bool explicitSeek) {
    const bool jumped = !positionKnown || explicitSeek ||
                        std::abs(microseconds - positionNow(now)) > seekThresholdMicroseconds;
    positionKnown = true;
    positionMicroseconds = std::max<qint64>(microseconds, 0);
    positionAt = now;
    if (jumped) ++positionRevision;
}

bool MprisPlayer::apply(const QVariantMap& properties, qint64 now, bool* newTrack) {
    bool changed = false;
    if (newTrack) *newTrack = false;
    const auto value = [&](const char* key) {
        return dbus::plainValue(properties.value(QLatin1String(key)));
    };
    const auto has = [&](const char* key) { return properties.contains(QLatin1String(key)); };
    // Where the position was, before the status or rate it moves with changes.
    const qint64 positionBefore = positionNow(now);

    bool trackChanged = false;
    if (has("Metadata")) {
        const QVariantMap newMetadata = dbus::toVariantMap(value("Metadata"));
        trackChanged =
            trackIdOf(newMetadata) != trackId() ||
            dbus::plainValue(newMetadata.value(QStringLiteral("xesam:title"))).toString() != title();
        changed |= newMetadata != metadata;
        metadata = newMetadata;
        if (trackChanged) {
            // A new track starts at its beginning until the player says otherwise.
            positionKnown = true;
            positionMicroseconds = 0;
            positionAt = now;
            ++positionRevision;
            if (newTrack) *newTrack = true;
        }
    }

    bool motionChanged = false;
    if (has("PlaybackStatus")) {
        motionChanged |= playbackStatus != value("PlaybackStatus").toString();
        playbackStatus = value("PlaybackStatus").toString();
    }
    if (has("Rate")) {
        double newRate = value("Rate").toDouble();
        if (!std::isfinite(newRate)) newRate = 1.0;
        motionChanged |= newRate != rate;
        rate = newRate;
    }
    if (motionChanged) {
        if (positionKnown && !trackChanged) {
            positionMicroseconds = positionBefore;
            positionAt = now;
        }
        ++positionRevision;
        changed = true;
    }

    if (has("Shuffle")) {
        const QVariant shuffleValue = value("Shuffle");
        const std::optional<bool> newShuffle =
            shuffleValue.isValid() ? std::optional<bool>(shuffleValue.toBool()) : std::nullopt;
        changed |= newShuffle != shuffle;
        shuffle = newShuffle;
    }
    if (has("LoopStatus")) {
        changed |= loopStatus != value("LoopStatus").toString();
        loopStatus = value("LoopStatus").toString();
    }
    if (has("CanSeek")) canSeek = value("CanSeek").toBool();
    if (has("Position")) {
        if (const auto microseconds = integer(value("Position"))) setPosition(*microseconds, now, false);
    }
    return changed;
}

QString MprisPlayer::trackIdOf(const QVariantMap& data) {
    MprisPlayer probe;
    probe.metadata = data;
    return probe.trackId();
}

QJsonObject MprisPlayer::payload(qint64 now) const {
    QJsonObject payload;
    insertText(payload, "title", title());
    insertText(payload, "artist",
               stringList(metadata.value(QStringLiteral("xesam:artist"))).join(QStringLiteral(", ")));
    insertText(payload, "album", dbus::plainValue(metadata.value(QStringLiteral("xesam:album"))).toString());
    insertText(payload, "genre",
               stringList(metadata.value(QStringLiteral("xesam:genre"))).join(QStringLiteral(", ")));
    insertText(payload, "composer",
               stringList(metadata.value(QStringLiteral("xesam:composer"))).join(QStringLiteral(", ")));
    insertText(payload, "bundleIdentifier", desktopEntry);
    insertText(payload, "contentItemIdentifier", trackId());
    if (const auto length = integer(metadata.value(QStringLiteral("mpris:length"))); length && *length > 0)
        payload.insert(QLatin1String("duration"), double(*length) / 1e6);
    if (const auto track = integer(metadata.value(QStringLiteral("xesam:trackNumber"))); track && *track > 0)
        payload.insert(QLatin1String("trackNumber"), double(*track));
    payload.insert(QLatin1String("playing"), isPlaying());
    payload.insert(QLatin1String("playbackRate"), isPlaying() ? rate : 0.0);
    if (positionKnown)
        payload.insert(QLatin1String("elapsedTime"), std::round(positionNow(now) / 1000.0) / 1000.0);
    if (shuffle)
        payload.insert(QLatin1String("shuffleMode"),
                       *shuffle ? QStringLiteral("items") : QStringLiteral("off"));
    if (loopStatus == QLatin1String("None"))
        payload.insert(QLatin1String("repeatMode"), QStringLiteral("off"));
    else if (loopStatus == QLatin1String("Track"))
        payload.insert(QLatin1String("repeatMode"), QStringLiteral("one"));
    else if (loopStatus == QLatin1String("Playlist"))
        payload.insert(QLatin1String("repeatMode"), QStringLiteral("all"));
    return payload;
}

} // namespace vesk::adapter
