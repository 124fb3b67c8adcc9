#pragma once

#include "VeskMediaAdapter/ArtworkLoader.h"
#include "VeskMediaAdapter/MprisPlayer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMap>
#include <QObject>

#include <map>
#include <memory>

namespace vesk::adapter {

// Every MPRIS player on the session bus, and which one is reported: the one that most
// recently started playing, else the last one reported while it stays. Calls to
// players are asynchronous with short time-outs, so a hung player holds up nothing.
class MprisWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int callTimeoutMs = 1500;

    explicit MprisWatcher(QDBusConnection bus, QObject* parent = nullptr);

    // Lists the players; `ready` follows once each has answered or timed out.
    void start();
    bool isReady() const { return m_ready; }

    // The bus name of the reported player, or an empty string.
    QString reported() const { return m_reported; }
    // The reported player's payload, artwork included; empty without a player.
    QJsonObject payload(qint64 now) const;
    // Changes whenever the reported player's position stops following from the last one.
    quint64 positionRevision() const;

Q_SIGNALS:
    void ready();
    // Something the reported player's payload shows may have changed.
    void changed();

private Q_SLOTS:
    void onNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void onPropertiesChanged(const QDBusMessage& message);
    void onSeeked(const QDBusMessage& message);

private:
    struct Entry {
        MprisPlayer player;
        std::unique_ptr<ArtworkLoader> artwork;
        int pendingLoads = 0;
    };

    void addPlayer(const QString& busName, const QString& owner);
    void removePlayer(const QString& busName);
    void loadPlayer(const QString& busName);
    void refreshPosition(const QString& busName);
    void applyPlayerProperties(Entry& entry, const QVariantMap& properties);
    void loadFinished();
    void choose();
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> onReply);
    QList<Entry*> entriesOwnedBy(const QString& owner);

    QDBusConnection m_bus;
    std::map<QString, Entry> m_players;
    QString m_reported;
    bool m_everReported = false;
    quint64 m_playingCounter = 0;
    int m_pendingStartup = 0;
    bool m_ready = false;
};

} // namespace vesk::adapter
