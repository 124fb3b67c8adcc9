#include "VeskMediaAdapter/ControlCommand.h"

#include "VeskDBus/AsyncDBusCall.h"
#include "VeskMediaAdapter/MprisPlayer.h"
#include "VeskMediaAdapter/MprisWatcher.h"
#include "VeskMediaAdapter/PlayerChoice.h"

#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <cmath>
#include <memory>

namespace vesk::adapter {

namespace {

const QString mprisPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString mprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// "send" codes: 0 play, 1 pause, 2 toggle, 4 next, 5 previous.
QString methodForCode(const QString& code) {
    if (code == QLatin1String("0")) return QStringLiteral("Play");
    if (code == QLatin1String("1")) return QStringLiteral("Pause");
    if (code == QLatin1String("2")) return QStringLiteral("PlayPause");
    if (code == QLatin1String("4")) return QStringLiteral("Next");
    if (code == QLatin1String("5")) return QStringLiteral("Previous");
    return {};
}

std::optional<double> finiteNumber(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

} // namespace

ControlCommand::ControlCommand(QDBusConnection bus, QString verb, QString argument, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_verb(std::move(verb)), m_argument(std::move(argument)) {}

bool ControlCommand::validate(const QString& verb, const QString& argument, QString* error) {
    bool valid = false;
    if (verb == QLatin1String("send"))
        valid = !methodForCode(argument).isEmpty();
    else if (verb == QLatin1String("seek") || verb == QLatin1String("speed"))
        valid = finiteNumber(argument).has_value();
    else if (verb == QLatin1String("shuffle"))
        valid = QStringList{"off", "items", "collections", "unknown"}.contains(argument);
    else if (verb == QLatin1String("repeat"))
        valid = QStringList{"off", "one", "all", "unknown"}.contains(argument);
    if (!valid && error)
        *error = QStringLiteral("cannot ") + verb + QStringLiteral(" \"") + argument + QLatin1Char('"');
    return valid;
}

void ControlCommand::call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> onReply) {
    dbus::callAsync(m_bus, message, MprisWatcher::callTimeoutMs, this, std::move(onReply));
}

void ControlCommand::finish(bool success) {
    QCoreApplication::exit(success ? 0 : 1);
}

void ControlCommand::run() {
    // "unknown" modes ask for nothing.
    if ((m_verb == QLatin1String("shuffle") || m_verb == QLatin1String("repeat")) &&
        m_argument == QLatin1String("unknown")) {
        finish(true);
        return;
    }
    const QDBusMessage list = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
    call(list, [this](const QDBusMessage& reply) {
        QStringList players;
        for (const QString& name : dbus::replyValue<QStringList>(reply).value_or(QStringList()))
            if (name.startsWith(mprisPrefix)) players.push_back(name);
        chooseTarget(players);
    });
}

void ControlCommand::chooseTarget(const QStringList& players) {
    if (players.isEmpty()) {
        finish(false);
        return;
    }
    const QString chosen = loadPlayerChoice();
    if (players.contains(chosen)) {
        act(chosen);
        return;
    }
    // Ask every player for its status at once; decide when all have answered.
    struct Poll {
        QStringList players;
        QStringList statuses;
        int waiting = 0;
    };
    auto poll = std::make_shared<Poll>(Poll{players, QStringList(players.size()), int(players.size())});
    for (int i = 0; i < players.size(); ++i) {
        const QDBusMessage get =
            dbus::propertyGet(players[i], mprisPath, playerInterface, QStringLiteral("PlaybackStatus"));
        call(get, [this, poll, i](const QDBusMessage& reply) {
            poll->statuses[i] = dbus::replyValue<QString>(reply).value_or(QString());
            if (--poll->waiting > 0) return;
            for (const char* wanted : {"Playing", "Paused"})
                for (int j = 0; j < poll->players.size(); ++j)
                    if (poll->statuses[j] == QLatin1String(wanted)) return act(poll->players[j]);
            act(poll->players.first());
        });
    }
}

void ControlCommand::callPlayer(const QString& player, const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(player, mprisPath, playerInterface, method);
    message.setArguments(arguments);
    call(message, [this](const QDBusMessage& reply) { finish(!dbus::isError(reply)); });
}

void ControlCommand::setProperty(const QString& player, const QString& property, const QVariant& value) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(player, mprisPath, dbus::propertiesInterface, QStringLiteral("Set"));
    message << playerInterface << property << QVariant::fromValue(QDBusVariant(value));
    call(message, [this](const QDBusMessage& reply) { finish(!dbus::isError(reply)); });
}

void ControlCommand::act(const QString& player) {
    if (m_verb == QLatin1String("send")) {
        callPlayer(player, methodForCode(m_argument), {});
    } else if (m_verb == QLatin1String("speed")) {
        setProperty(player, QStringLiteral("Rate"), *finiteNumber(m_argument));
    } else if (m_verb == QLatin1String("shuffle")) {
        setProperty(player, QStringLiteral("Shuffle"), m_argument != QLatin1String("off"));
    } else if (m_verb == QLatin1String("repeat")) {
        const QString loop = m_argument == QLatin1String("one")   ? QStringLiteral("Track")
                             : m_argument == QLatin1String("all") ? QStringLiteral("Playlist")
                                                                  : QStringLiteral("None");
        setProperty(player, QStringLiteral("LoopStatus"), loop);
    } else if (m_verb == QLatin1String("seek")) {
        // SetPosition needs the current track's id; without one, seek by the distance.
        const qint64 target = qint64(std::max(0.0, *finiteNumber(m_argument)) * 1e6);
        QDBusMessage get = QDBusMessage::createMethodCall(player, mprisPath, dbus::propertiesInterface,
                                                          QStringLiteral("GetAll"));
        get << playerInterface;
        call(get, [this, player, target](const QDBusMessage& reply) {
            if (dbus::isError(reply) || reply.arguments().isEmpty()) return finish(false);
            const QVariantMap properties = dbus::toVariantMap(reply.arguments().first());
            MprisPlayer state;
            state.apply(properties, 0, nullptr);
            const QString track = state.trackId();
            if (!track.isEmpty()) {
                callPlayer(player, QStringLiteral("SetPosition"),
                           {QVariant::fromValue(QDBusObjectPath(track)), QVariant::fromValue(target)});
            } else {
                const qint64 now = properties.value(QStringLiteral("Position")).toLongLong();
                callPlayer(player, QStringLiteral("Seek"), {QVariant::fromValue(target - now)});
            }
        });
    } else {
        finish(false);
    }
}

} // namespace vesk::adapter
