#include "VeskServices/NowPlaying/MediaCommand.h"

namespace vesk {

namespace {

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

QString send(const char* code) {
    return QString::fromLatin1(code);
}

} // namespace

QStringList MediaCommand::adapterArguments() const {
    const QString sendVerb = QStringLiteral("send");
    return std::visit(
        Overloaded{
            [&](const Seek& c) {
                return QStringList{QStringLiteral("seek"), QString::asprintf("%.3f", c.seconds)};
            },
            [&](const Speed& c) {
                return QStringList{QStringLiteral("speed"), QString::asprintf("%.2f", c.rate)};
            },
            [&](const Shuffle& c) {
                return QStringList{QStringLiteral("shuffle"), toRaw(c.mode)};
            },
            [&](const Repeat& c) {
                return QStringList{QStringLiteral("repeat"), toRaw(c.mode)};
            },
            [&](const Play&) {
                return QStringList{sendVerb, send("0")};
            },
            [&](const Pause&) {
                return QStringList{sendVerb, send("1")};
            },
            [&](const Toggle&) {
                return QStringList{sendVerb, send("2")};
            },
            // The codes skip 3.
            [&](const Next&) {
                return QStringList{sendVerb, send("4")};
            },
            [&](const Previous&) {
                return QStringList{sendVerb, send("5")};
            },
        },
        value);
}

} // namespace vesk
