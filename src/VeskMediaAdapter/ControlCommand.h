#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>

#include <functional>

namespace vesk::adapter {

// One command run: finds the player to act on (the one the stream last reported when
// it is still there, else a playing, else a paused, else any player), asks it to act,
// and ends the application with 0 on success, 1 on failure.
class ControlCommand : public QObject {
    Q_OBJECT
public:
    // `verb` is "send", "seek", "speed", "shuffle" or "repeat"; `argument` its value.
    ControlCommand(QDBusConnection bus, QString verb, QString argument, QObject* parent = nullptr);

    // False (with a message) when the verb or its argument is not understood.
    static bool validate(const QString& verb, const QString& argument, QString* error);
    void run();

private:
    void chooseTarget(const QStringList& players);
    void act(const QString& player);
    void callPlayer(const QString& player, const QString& method, const QVariantList& arguments);
    void setProperty(const QString& player, const QString& property, const QVariant& value);
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> onReply);
    void finish(bool success);

    QDBusConnection m_bus;
    QString m_verb;
    QString m_argument;
};

} // namespace vesk::adapter
