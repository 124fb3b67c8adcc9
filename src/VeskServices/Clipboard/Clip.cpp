#include "VeskServices/Clipboard/Clip.h"

#include "VeskKit/Foundation/Json.h"

#include <QStringList>
#include <QTextBoundaryFinder>

namespace vesk {

QString Clip::symbol() const {
    switch (kind) {
    case Kind::text:
        return QStringLiteral("text.alignleft");
    case Kind::url:
        return QStringLiteral("link");
    case Kind::image:
        return QStringLiteral("photo");
    case Kind::file:
        return QStringLiteral("doc");
    }
    return {};
}

QString Clip::preview() const {
    QString flat = text;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\t'), QLatin1Char(' '));
    const QString joined = flat.split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QLatin1Char(' '));

    // Count what a reader sees as one character, so an emoji or accent is never split.
    constexpr int limit = 120;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, joined);
    int count = 0;
    qsizetype cut = -1;
    while (finder.toNextBoundary() != -1) {
        ++count;
        if (count == limit) cut = finder.position();
        if (count > limit) return joined.left(cut) + QChar(0x2026);
    }
    return joined;
}

QJsonObject Clip::toJson() const {
    QJsonObject o;
    o.insert(QStringLiteral("id"), json::fromUuid(id));
    o.insert(QStringLiteral("kind"), toRaw(kind));
    o.insert(QStringLiteral("text"), text);
    json::insertOptional(o, QStringLiteral("storedPath"), storedPath, [](const QString& s) { return s; });
    o.insert(QStringLiteral("copiedAt"), json::fromDate(copiedAt));
    json::insertOptional(o, QStringLiteral("sourceApp"), sourceApp, [](const QString& s) { return s; });
    return o;
}

std::optional<Clip> Clip::fromJson(const QJsonObject& object) {
    json::Reader r(object, QStringLiteral("clip"));
    Clip clip;
    clip.id = r.uuid(QStringLiteral("id"));
    const std::optional<Kind> kind = fromRaw<Kind>(r.string(QStringLiteral("kind")));
    clip.text = r.string(QStringLiteral("text"));
    clip.storedPath = r.optionalString(QStringLiteral("storedPath"));
    clip.copiedAt = r.date(QStringLiteral("copiedAt"));
    clip.sourceApp = r.optionalString(QStringLiteral("sourceApp"));
    if (!r.ok() || !kind) return std::nullopt;
    clip.kind = *kind;
    return clip;
}

} // namespace vesk
