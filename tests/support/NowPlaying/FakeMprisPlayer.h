#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace vesk::test {

// A media player on a D-Bus connection of the test's own, speaking MPRIS
// (org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player). Changes made through
// its setters are announced with PropertiesChanged, as a real player does.
class FakeMprisPlayer : public QObject {
    Q_OBJECT
public:
    FakeMprisPlayer(QDBusConnection bus, QString name);
    ~FakeMprisPlayer() override { disappear(); }

    // Takes the name "org.mpris.MediaPlayer2.<name>"; false when that failed.
    bool appear() {
        m_registered = m_bus.registerObject(path, this, QDBusConnection::ExportAdaptors);
        return m_registered && m_bus.registerService(busName());
    }
    // Leaves the bus.
    void disappear() {
        if (!m_registered) return;
        m_bus.unregisterService(busName());
        m_bus.unregisterObject(path);
        m_registered = false;
    }
    QString busName() const { return QStringLiteral("org.mpris.MediaPlayer2.") + m_name; }

    void setPlaybackStatus(const QString& status) {
        playbackStatus = status;
        announce({{QStringLiteral("PlaybackStatus"), status}});
    }
    // Sets "xesam:title", "xesam:artist", "mpris:trackid" and "mpris:length".
    void setTrack(const QString& title, const QString& artist, const QString& trackId,
                  qint64 lengthMicroseconds) {
        metadata.insert(QStringLiteral("xesam:title"), title);
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{artist});
        metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId)));
        metadata.insert(QStringLiteral("mpris:length"), lengthMicroseconds);
        m_position = 0;
        announce({{QStringLiteral("Metadata"), metadata}});
    }
    void setMetadataValue(const QString& key, const QVariant& value) {
        metadata.insert(key, value);
        announce({{QStringLiteral("Metadata"), metadata}});
    }
    void setPosition(qint64 microseconds) { m_position = microseconds; }
    // With the Seeked signal.
    void seekTo(qint64 microseconds) {
        m_position = microseconds;
        QDBusMessage signal = QDBusMessage::createSignal(path, playerInterface, QStringLiteral("Seeked"));
        signal << microseconds;
        m_bus.send(signal);
    }
    void announce(const QVariantMap& changed) {
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        signal << playerInterface << changed << QStringList();
        m_bus.send(signal);
    }
    // Records a request ("PlayPause", "SetPosition /t/1 12500000", ...) and applies its
    // change, if any, as a property change.
    void request(const QString& text, const QString& property = {}, const QVariant& value = {}) {
        requests.push_back(text);
        if (property == QLatin1String("PlaybackStatus")) playbackStatus = value.toString();
        if (!property.isEmpty()) announce({{property, value}});
    }

    QStringList requests;
    QString playbackStatus = QStringLiteral("Stopped");
    QVariantMap metadata;
    qint64 m_position = 0;
    double rate = 1.0;
    bool shuffle = false;
    QString loopStatus = QStringLiteral("None");
    QString desktopEntry;

private:
    static inline const QString path = QStringLiteral("/org/mpris/MediaPlayer2");
    static inline const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

    QDBusConnection m_bus;
    QString m_name;
    bool m_registered = false;
};

class FakeMprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(bool CanQuit READ no)
    Q_PROPERTY(bool CanRaise READ no)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)
public:
    explicit FakeMprisRoot(FakeMprisPlayer* player) : QDBusAbstractAdaptor(player), m_player(player) {}
    QString identity() const { return QStringLiteral("Fake Player"); }
    QString desktopEntry() const { return m_player->desktopEntry; }
    bool no() const { return false; }
    QStringList none() const { return {}; }
public Q_SLOTS:
    void Raise() {}
    void Quit() {}

private:
    FakeMprisPlayer* m_player;
};

class FakeMprisPlayerInterface : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ minimumRate)
    Q_PROPERTY(double MaximumRate READ maximumRate)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanGoPrevious READ yes)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ yes)
    Q_PROPERTY(bool CanControl READ yes)
public:
    explicit FakeMprisPlayerInterface(FakeMprisPlayer* player) : QDBusAbstractAdaptor(player), p(player) {}
    QString playbackStatus() const { return p->playbackStatus; }
    QString loopStatus() const { return p->loopStatus; }
    void setLoopStatus(const QString& status) {
        p->loopStatus = status;
        p->request(QStringLiteral("LoopStatus ") + status, QStringLiteral("LoopStatus"), status);
    }
    double rate() const { return p->rate; }
    void setRate(double rate) {
        p->rate = rate;
        p->request(QStringLiteral("Rate ") + QString::number(rate), QStringLiteral("Rate"), rate);
    }
    bool shuffle() const { return p->shuffle; }
    void setShuffle(bool shuffle) {
        p->shuffle = shuffle;
        p->request(QStringLiteral("Shuffle ") + (shuffle ? QStringLiteral("true") : QStringLiteral("false")),
                   QStringLiteral("Shuffle"), shuffle);
    }
    QVariantMap metadata() const { return p->metadata; }
    double volume() const { return 1.0; }
    qlonglong position() const { return p->m_position; }
    double minimumRate() const { return 0.25; }
    double maximumRate() const { return 4.0; }
    bool yes() const { return true; }
public Q_SLOTS:
    void Play() {
        p->request(QStringLiteral("Play"), QStringLiteral("PlaybackStatus"), QStringLiteral("Playing"));
    }
    void Pause() {
        p->request(QStringLiteral("Pause"), QStringLiteral("PlaybackStatus"), QStringLiteral("Paused"));
    }
    void PlayPause() {
        p->request(QStringLiteral("PlayPause"), QStringLiteral("PlaybackStatus"),
                   p->playbackStatus == QLatin1String("Playing") ? QStringLiteral("Paused")
                                                                 : QStringLiteral("Playing"));
    }
    void Stop() {
        p->request(QStringLiteral("Stop"), QStringLiteral("PlaybackStatus"), QStringLiteral("Stopped"));
    }
    void Next() { p->request(QStringLiteral("Next")); }
    void Previous() { p->request(QStringLiteral("Previous")); }
    void Seek(qlonglong offset) { p->request(QStringLiteral("Seek ") + QString::number(offset)); }
    void SetPosition(const QDBusObjectPath& track, qlonglong position) {
        p->request(QStringLiteral("SetPosition %1 %2").arg(track.path()).arg(position));
        p->seekTo(position);
    }
    void OpenUri(const QString&) {}
Q_SIGNALS:
    void Seeked(qlonglong position);

private:
    FakeMprisPlayer* p;
};

inline FakeMprisPlayer::FakeMprisPlayer(QDBusConnection bus, QString name)
    : m_bus(std::move(bus)), m_name(std::move(name)) {
    new FakeMprisRoot(this);
    new FakeMprisPlayerInterface(this);
}

} // namespace vesk::test
