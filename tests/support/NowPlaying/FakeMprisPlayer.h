#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
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
    ~FakeMprisPlayer() override;

    // Takes the name "org.mpris.MediaPlayer2.<name>"; false when that failed.
    bool appear();
    // Leaves the bus.
    void disappear();
    QString busName() const { return QStringLiteral("org.mpris.MediaPlayer2.") + m_name; }

    void setPlaybackStatus(const QString& status);
    // Sets "xesam:title", "xesam:artist", "mpris:trackid" and "mpris:length".
    void setTrack(const QString& title, const QString& artist, const QString& trackId,
                  qint64 lengthMicroseconds);
    void setMetadataValue(const QString& key, const QVariant& value);
    void setPosition(qint64 microseconds) { m_position = microseconds; }
    void seekTo(qint64 microseconds); // with the Seeked signal

    // What the player was asked to do, one line per request ("PlayPause", "SetPosition /t/1 12500000", ...).
    QStringList requests;

    QString playbackStatus;
    QVariantMap metadata;
    qint64 m_position = 0;
    double rate = 1.0;
    bool shuffle = false;
    QString loopStatus = QStringLiteral("None");
    QString desktopEntry;

    void announce(const QVariantMap& changed);

private:
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
    explicit FakeMprisPlayerInterface(FakeMprisPlayer* player)
        : QDBusAbstractAdaptor(player), m_player(player) {}
    QString playbackStatus() const { return m_player->playbackStatus; }
    QString loopStatus() const { return m_player->loopStatus; }
    void setLoopStatus(const QString& status);
    double rate() const { return m_player->rate; }
    void setRate(double rate);
    bool shuffle() const { return m_player->shuffle; }
    void setShuffle(bool shuffle);
    QVariantMap metadata() const { return m_player->metadata; }
    double volume() const { return 1.0; }
    qlonglong position() const { return m_player->m_position; }
    double minimumRate() const { return 0.25; }
    double maximumRate() const { return 4.0; }
    bool yes() const { return true; }
public Q_SLOTS:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath& track, qlonglong position);
    void OpenUri(const QString&) {}
Q_SIGNALS:
    void Seeked(qlonglong position);

private:
    FakeMprisPlayer* m_player;
};

} // namespace vesk::test
