#include "support/NowPlaying/FakeMprisPlayer.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace vesk::test {

namespace {
const QString mprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
} // namespace

FakeMprisPlayer::FakeMprisPlayer(QDBusConnection bus, QString name)
    : playbackStatus(QStringLiteral("Stopped")), m_bus(std::move(bus)), m_name(std::move(name)) {
    new FakeMprisRoot(this);
    new FakeMprisPlayerInterface(this);
}

FakeMprisPlayer::~FakeMprisPlayer() {
    disappear();
}

bool FakeMprisPlayer::appear() {
    if (!m_bus.registerObject(mprisPath, this, QDBusConnection::ExportAdaptors)) return false;
    m_registered = true;
    return m_bus.registerService(busName());
}

void FakeMprisPlayer::disappear() {
    if (!m_registered) return;
    m_bus.unregisterService(busName());
    m_bus.unregisterObject(mprisPath);
    m_registered = false;
}

void FakeMprisPlayer::announce(const QVariantMap& changed) {
    QDBusMessage signal = QDBusMessage::createSignal(
        mprisPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    m_bus.send(signal);
}

void FakeMprisPlayer::setPlaybackStatus(const QString& status) {
    playbackStatus = status;
    announce({{QStringLiteral("PlaybackStatus"), status}});
}

void FakeMprisPlayer::setTrack(const QString& title, const QString& artist, const QString& trackId,
                               qint64 lengthMicroseconds) {
    metadata.insert(QStringLiteral("xesam:title"), title);
    metadata.insert(QStringLiteral("xesam:artist"), QStringList{artist});
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId)));
    metadata.insert(QStringLiteral("mpris:length"), lengthMicroseconds);
    m_position = 0;
    announce({{QStringLiteral("Metadata"), metadata}});
}

void FakeMprisPlayer::setMetadataValue(const QString& key, const QVariant& value) {
    metadata.insert(key, value);
    announce({{QStringLiteral("Metadata"), metadata}});
}

void FakeMprisPlayer::seekTo(qint64 microseconds) {
    m_position = microseconds;
    QDBusMessage signal = QDBusMessage::createSignal(
        mprisPath, QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Seeked"));
    signal << microseconds;
    m_bus.send(signal);
}

void FakeMprisPlayerInterface::setLoopStatus(const QString& status) {
    m_player->requests.push_back(QStringLiteral("LoopStatus ") + status);
    m_player->loopStatus = status;
    m_player->announce({{QStringLiteral("LoopStatus"), status}});
}

void FakeMprisPlayerInterface::setRate(double rate) {
    m_player->requests.push_back(QStringLiteral("Rate ") + QString::number(rate));
    m_player->rate = rate;
    m_player->announce({{QStringLiteral("Rate"), rate}});
}

void FakeMprisPlayerInterface::setShuffle(bool shuffle) {
    m_player->requests.push_back(QStringLiteral("Shuffle ") +
                                 (shuffle ? QStringLiteral("true") : QStringLiteral("false")));
    m_player->shuffle = shuffle;
    m_player->announce({{QStringLiteral("Shuffle"), shuffle}});
}

void FakeMprisPlayerInterface::Play() {
    m_player->requests.push_back(QStringLiteral("Play"));
    m_player->setPlaybackStatus(QStringLiteral("Playing"));
}

void FakeMprisPlayerInterface::Pause() {
    m_player->requests.push_back(QStringLiteral("Pause"));
    m_player->setPlaybackStatus(QStringLiteral("Paused"));
}

void FakeMprisPlayerInterface::PlayPause() {
    m_player->requests.push_back(QStringLiteral("PlayPause"));
    m_player->setPlaybackStatus(m_player->playbackStatus == QLatin1String("Playing")
                                    ? QStringLiteral("Paused")
                                    : QStringLiteral("Playing"));
}

void FakeMprisPlayerInterface::Stop() {
    m_player->requests.push_back(QStringLiteral("Stop"));
    m_player->setPlaybackStatus(QStringLiteral("Stopped"));
}

void FakeMprisPlayerInterface::Next() {
    m_player->requests.push_back(QStringLiteral("Next"));
}

void FakeMprisPlayerInterface::Previous() {
    m_player->requests.push_back(QStringLiteral("Previous"));
}

void FakeMprisPlayerInterface::Seek(qlonglong offset) {
    m_player->requests.push_back(QStringLiteral("Seek ") + QString::number(offset));
}

void FakeMprisPlayerInterface::SetPosition(const QDBusObjectPath& track, qlonglong position) {
    m_player->requests.push_back(QStringLiteral("SetPosition ") + track.path() + QLatin1Char(' ') +
                                 QString::number(position));
    m_player->seekTo(position);
}

} // namespace vesk::test
