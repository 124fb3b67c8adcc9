#include "VeskMediaAdapter/MprisWatcher.h"

#include "VeskDBus/AsyncDBusCall.h"

#include <QStringList>

namespace vesk::adapter {

namespace {

const QString mprisPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString mprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

QDBusMessage busCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                          QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), method);
}

} // namespace

MprisWatcher::MprisWatcher(QDBusConnection bus, QObject* parent) : QObject(parent), m_bus(std::move(bus)) {}

void MprisWatcher::call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> onReply) {
    dbus::callAsync(m_bus, message, callTimeoutMs, this, std::move(onReply));
}

void MprisWatcher::start() {
    m_bus.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                  QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                  SLOT(onNameOwnerChanged(QString, QString, QString)));
    // From any sender: players are told apart by their unique names.
    m_bus.connect(QString(), mprisPath, dbus::propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                  SLOT(onPropertiesChanged(QDBusMessage)));
    m_bus.connect(QString(), mprisPath, playerInterface, QStringLiteral("Seeked"), this,
                  SLOT(onSeeked(QDBusMessage)));

    m_pendingStartup = 1;
    call(busCall(QStringLiteral("ListNames")), [this](const QDBusMessage& reply) {
        for (const QString& name : dbus::replyValue<QStringList>(reply).value_or(QStringList())) {
            if (!name.startsWith(mprisPrefix)) continue;
            ++m_pendingStartup;
            QDBusMessage owner = busCall(QStringLiteral("GetNameOwner"));
            owner << name;
            call(owner, [this, name](const QDBusMessage& answer) {
                if (const std::optional<QString> unique = dbus::replyValue<QString>(answer))
                    addPlayer(name, *unique);
                loadFinished();
            });
        }
        loadFinished();
    });
}

void MprisWatcher::loadFinished() {
    if (m_ready || --m_pendingStartup > 0) return;
    m_ready = true;
    choose();
    Q_EMIT ready();
}

void MprisWatcher::addPlayer(const QString& busName, const QString& owner) {
    if (owner.isEmpty()) return;
    auto [it, inserted] = m_players.try_emplace(busName);
    Entry& entry = it->second;
    entry.player = MprisPlayer{};
    entry.player.busName = busName;
    entry.player.owner = owner;
    if (!entry.artwork) {
        entry.artwork = std::make_unique<ArtworkLoader>();
        connect(entry.artwork.get(), &ArtworkLoader::changed, this, [this, busName] {
            if (busName == m_reported) Q_EMIT changed();
        });
    }
    loadPlayer(busName);
}

void MprisWatcher::loadPlayer(const QString& busName) {
    Entry& entry = m_players.at(busName);
    const QString owner = entry.player.owner;
    if (!m_ready) m_pendingStartup += 2;
    entry.pendingLoads = 2;
    const auto finishOne = [this, busName, owner] {
        auto it = m_players.find(busName);
        if (it != m_players.end() && it->second.player.owner == owner && --it->second.pendingLoads == 0) {
            it->second.player.loaded = true;
            const QString before = m_reported;
            choose();
            if (m_ready && before != m_reported) Q_EMIT changed();
        }
        if (!m_ready) loadFinished();
    };

    QDBusMessage root =
        QDBusMessage::createMethodCall(owner, mprisPath, dbus::propertiesInterface, QStringLiteral("GetAll"));
    root << rootInterface;
    call(root, [this, busName, owner, finishOne](const QDBusMessage& reply) {
        auto it = m_players.find(busName);
        if (it != m_players.end() && it->second.player.owner == owner && !dbus::isError(reply) &&
            !reply.arguments().isEmpty())
            it->second.player.desktopEntry = dbus::toVariantMap(reply.arguments().first())
                                                 .value(QStringLiteral("DesktopEntry"))
                                                 .toString();
        finishOne();
    });

    QDBusMessage player =
        QDBusMessage::createMethodCall(owner, mprisPath, dbus::propertiesInterface, QStringLiteral("GetAll"));
    player << playerInterface;
    call(player, [this, busName, owner, finishOne](const QDBusMessage& reply) {
        auto it = m_players.find(busName);
        if (it != m_players.end() && it->second.player.owner == owner && !dbus::isError(reply) &&
            !reply.arguments().isEmpty())
            applyPlayerProperties(it->second, dbus::toVariantMap(reply.arguments().first()));
        finishOne();
    });
}

void MprisWatcher::removePlayer(const QString& busName) {
    if (m_players.erase(busName) == 0) return;
    choose();
    Q_EMIT changed();
}

void MprisWatcher::onNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner) {
    if (!name.startsWith(mprisPrefix)) return;
    if (!oldOwner.isEmpty()) removePlayer(name);
    if (!newOwner.isEmpty()) addPlayer(name, newOwner);
}

QList<MprisWatcher::Entry*> MprisWatcher::entriesOwnedBy(const QString& owner) {
    QList<Entry*> entries;
    for (auto& [name, entry] : m_players)
        if (entry.player.owner == owner) entries.push_back(&entry);
    return entries;
}

void MprisWatcher::applyPlayerProperties(Entry& entry, const QVariantMap& properties) {
    const bool wasPlaying = entry.player.isPlaying();
    bool newTrack = false;
    const bool changedSomething = entry.player.apply(properties, monotonicMilliseconds(), &newTrack);
    if (entry.player.isPlaying() && !wasPlaying) entry.player.playingOrder = ++m_playingCounter;
    entry.artwork->request(entry.player.artUrl());
    // Players rarely signal the position of a new track or after a pause: ask.
    if (entry.player.loaded && (newTrack || properties.contains(QStringLiteral("PlaybackStatus")) ||
                                properties.contains(QStringLiteral("Rate"))))
        refreshPosition(entry.player.busName);
    if (!entry.player.loaded) return;
    const QString before = m_reported;
    choose();
    if (changedSomething || before != m_reported) Q_EMIT changed();
}

void MprisWatcher::onPropertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2 || arguments[0].toString() != playerInterface) return;
    QVariantMap properties = dbus::toVariantMap(arguments[1]);
    const QStringList invalidated = arguments.size() > 2 ? arguments[2].toStringList() : QStringList();
    for (Entry* entry : entriesOwnedBy(message.service())) {
        applyPlayerProperties(*entry, properties);
        // Invalidated properties carry no value: read them again.
        for (const QString& property : invalidated) {
            const QDBusMessage get =
                dbus::propertyGet(entry->player.owner, mprisPath, playerInterface, property);
            const QString busName = entry->player.busName;
            call(get, [this, busName, property](const QDBusMessage& reply) {
                auto it = m_players.find(busName);
                if (it == m_players.end() || dbus::isError(reply) || reply.arguments().isEmpty()) return;
                applyPlayerProperties(it->second, QVariantMap{{property, reply.arguments().first()}});
            });
        }
    }
}

void MprisWatcher::onSeeked(const QDBusMessage& message) {
    if (message.arguments().isEmpty()) return;
    const qint64 position = message.arguments().first().toLongLong();
    for (Entry* entry : entriesOwnedBy(message.service())) {
        entry->player.setPosition(position, monotonicMilliseconds(), true);
        if (entry->player.busName == m_reported) Q_EMIT changed();
    }
}

void MprisWatcher::refreshPosition(const QString& busName) {
    auto it = m_players.find(busName);
    if (it == m_players.end()) return;
    const QString owner = it->second.player.owner;
    const QDBusMessage get = dbus::propertyGet(owner, mprisPath, playerInterface, QStringLiteral("Position"));
    call(get, [this, busName, owner](const QDBusMessage& reply) {
        auto found = m_players.find(busName);
        if (found == m_players.end() || found->second.player.owner != owner || dbus::isError(reply) ||
            reply.arguments().isEmpty())
            return;
        MprisPlayer& player = found->second.player;
        const quint64 before = player.positionRevision;
        player.apply({{QStringLiteral("Position"), reply.arguments().first()}}, monotonicMilliseconds(),
                     nullptr);
        if (player.positionRevision != before && busName == m_reported) Q_EMIT changed();
    });
}

void MprisWatcher::choose() {
    const Entry* latest = nullptr;
    for (const auto& [name, entry] : m_players)
        if (entry.player.loaded && entry.player.isPlaying() &&
            (!latest || entry.player.playingOrder > latest->player.playingOrder))
            latest = &entry;
    if (latest) {
        m_reported = latest->player.busName;
    } else if (!m_players.contains(m_reported)) {
        m_reported.clear();
        // At start-up a paused player is still worth showing; one that leaves is not replaced.
        if (!m_everReported) {
            for (const auto& [name, entry] : m_players)
                if (entry.player.loaded && entry.player.playbackStatus == QLatin1String("Paused")) {
                    m_reported = name;
                    break;
                }
        }
    }
    if (!m_reported.isEmpty() && m_ready) m_everReported = true;
}

QJsonObject MprisWatcher::payload(qint64 now) const {
    auto it = m_players.find(m_reported);
    if (it == m_players.end()) return {};
    QJsonObject payload = it->second.player.payload(now);
    const ArtworkLoader& artwork = *it->second.artwork;
    if (!artwork.data().isEmpty()) {
        payload.insert(QLatin1String("artworkMimeType"), artwork.mimeType());
        payload.insert(QLatin1String("artworkData"), QString::fromLatin1(artwork.data().toBase64()));
    }
    return payload;
}

quint64 MprisWatcher::positionRevision() const {
    auto it = m_players.find(m_reported);
    return it == m_players.end() ? 0 : it->second.player.positionRevision;
}

} // namespace vesk::adapter
