// A media player for the "playing" figures: it owns an MPRIS name on the session bus and
// reports one track playing, with artwork, the way desktop players do. It does nothing
// on its own while it plays (players do not signal the position), so every wake-up
// measured while it runs belongs to the program being measured.
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <cstdio>

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");

class Player : public QObject {
    Q_OBJECT
public:
    explicit Player(QString artUrl) : m_artUrl(std::move(artUrl)) { m_clock.start(); }

    QString status() const { return m_status; }
    qint64 positionUs() const {
        return m_status == QLatin1String("Playing") ? m_basePositionUs + m_clock.elapsed() * 1000
                                                    : m_basePositionUs;
    }
    QVariantMap metadata() const {
        return {
            {QStringLiteral("mpris:trackid"),
             QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/vesk/bench/track/%1").arg(m_track)))},
            {QStringLiteral("mpris:length"), QVariant::fromValue<qlonglong>(kLengthUs)},
            {QStringLiteral("xesam:title"), QStringLiteral("Bench Track %1").arg(m_track)},
            {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("The Idle Loops")}},
            {QStringLiteral("xesam:album"), QStringLiteral("Quiet Hours")},
            {QStringLiteral("mpris:artUrl"), m_artUrl},
        };
    }

    void setStatus(const QString& status) {
        if (status == m_status) return;
        m_basePositionUs = positionUs();
        m_clock.restart();
        m_status = status;
        changed({{QStringLiteral("PlaybackStatus"), m_status}});
    }
    void seekTo(qint64 us) {
        m_basePositionUs = qBound<qint64>(0, us, kLengthUs);
        m_clock.restart();
        QDBusMessage signal = QDBusMessage::createSignal(
            kPath, QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Seeked"));
        signal << QVariant::fromValue<qlonglong>(m_basePositionUs);
        QDBusConnection::sessionBus().send(signal);
    }
    void skip(int delta) {
        m_track = qMax(1, m_track + delta);
        m_basePositionUs = 0;
        m_clock.restart();
        changed({{QStringLiteral("Metadata"), metadata()}});
    }

private:
    void changed(const QVariantMap& properties) {
        QDBusMessage signal = QDBusMessage::createSignal(
            kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << properties << QStringList{};
        QDBusConnection::sessionBus().send(signal);
    }

    static constexpr qint64 kLengthUs = 240'000'000;
    QString m_artUrl;
    QString m_status = QStringLiteral("Playing");
    int m_track = 1;
    qint64 m_basePositionUs = 0;
    QElapsedTimer m_clock;
};

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ no)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ schemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ mimeTypes)
public:
    explicit RootAdaptor(Player* player) : QDBusAbstractAdaptor(player) {}
    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("Bench Player"); }
    QString desktopEntry() const { return QStringLiteral("vesk-bench-player"); }
    QStringList schemes() const { return {QStringLiteral("file")}; }
    QStringList mimeTypes() const { return {QStringLiteral("audio/mpeg")}; }

public Q_SLOTS:
    void Raise() {}
    void Quit() { QCoreApplication::quit(); }
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus)
    Q_PROPERTY(double Rate READ one)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(bool Shuffle READ no)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ one)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanGoPrevious READ yes)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ yes)
    Q_PROPERTY(bool CanControl READ yes)
public:
    explicit PlayerAdaptor(Player* player) : QDBusAbstractAdaptor(player), m_player(player) {}
    QString playbackStatus() const { return m_player->status(); }
    QString loopStatus() const { return QStringLiteral("None"); }
    double one() const { return 1.0; }
    bool yes() const { return true; }
    bool no() const { return false; }
    QVariantMap metadata() const { return m_player->metadata(); }
    qlonglong position() const { return m_player->positionUs(); }

public Q_SLOTS:
    void Play() { m_player->setStatus(QStringLiteral("Playing")); }
    void Pause() { m_player->setStatus(QStringLiteral("Paused")); }
    void PlayPause() {
        m_player->setStatus(m_player->status() == QLatin1String("Playing") ? QStringLiteral("Paused")
                                                                           : QStringLiteral("Playing"));
    }
    void Stop() { m_player->setStatus(QStringLiteral("Stopped")); }
    void Next() { m_player->skip(1); }
    void Previous() { m_player->skip(-1); }
    void Seek(qlonglong offsetUs) { m_player->seekTo(m_player->positionUs() + offsetUs); }
    void SetPosition(const QDBusObjectPath&, qlonglong positionUs) { m_player->seekTo(positionUs); }
    void OpenUri(const QString&) {}

Q_SIGNALS:
    void Seeked(qlonglong positionUs);

private:
    Player* m_player;
};

// Square cover art with a diagonal gradient, so artwork code has real pixels to read.
QString writeArtwork() {
    QImage image(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(40 + x / 2, 60 + y / 3, 160 - (x + y) / 5));
    // The benchmark points TMPDIR at its own scratch folder, which it removes at the end.
    const QString path =
        QDir::tempPath() + QStringLiteral("/vesk-bench-cover-%1.png").arg(QCoreApplication::applicationPid());
    image.save(path);
    return QUrl::fromLocalFile(path).toString();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString art = writeArtwork();
    Player player(art);
    new RootAdaptor(&player);
    new PlayerAdaptor(&player);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.registerObject(kPath, &player) ||
        !bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.veskbench"))) {
        std::fprintf(stderr, "player: cannot serve on the session bus: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "main.moc"
