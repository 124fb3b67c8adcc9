#include "VeskSync/NoteMerge.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace vesk {

namespace {

// Grapheme clusters, each with its canonical form for comparing.
struct Characters {
    QStringList original;
    QStringList canonical;
};

Characters characters(const QString& text) {
    Characters result;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        const QString character = text.mid(start, end - start);
        result.original.append(character);
        result.canonical.append(character.normalized(QString::NormalizationForm_C));
        start = end;
    }
    return result;
}

// How many leading characters `a` and `b` share.
qsizetype sharedCount(const Characters& a, const Characters& b) {
    const qsizetype limit = std::min(a.canonical.size(), b.canonical.size());
    qsizetype n = 0;
    while (n < limit && a.canonical.at(n) == b.canonical.at(n))
        ++n;
    return n;
}

bool startsWith(const Characters& text, const Characters& prefix) {
    return prefix.canonical.size() <= text.canonical.size() &&
           sharedCount(text, prefix) == prefix.canonical.size();
}

bool same(const Characters& a, const Characters& b) {
    return a.canonical == b.canonical;
}

QString joined(const QStringList& parts, qsizetype from, qsizetype to) {
    QString text;
    for (qsizetype i = from; i < to; ++i)
        text += parts.at(i);
    return text;
}

// How many leading characters the common prefix of `a` and `b` holds.
qsizetype prefixCount(const Characters& a, const Characters& b) {
    const qsizetype shared = sharedCount(a, b);
    for (qsizetype i = shared; i > 0; --i)
        if (a.original.at(i - 1) == QLatin1String("\n")) return i;
    return shared;
}

// Orders by the code points of the canonical forms (QString compares UTF-16 units,
// which puts characters beyond U+FFFF before U+E000..U+FFFF).
bool codePointsLess(const QString& a, const QString& b) {
    const QList<uint> x = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> y = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end());
}

// The one stretch of `base` that `edited` replaced, in characters, and what took its place.
struct Edit {
    qsizetype from, to;
    QString with;
};

Edit editOf(const Characters& base, const Characters& edited) {
    const qsizetype head = sharedCount(base, edited);
    const qsizetype baseSize = base.canonical.size(), editedSize = edited.canonical.size();
    qsizetype tail = 0;
    while (tail < std::min(baseSize, editedSize) - head &&
           base.canonical.at(baseSize - 1 - tail) == edited.canonical.at(editedSize - 1 - tail))
        ++tail;
    return {head, baseSize - tail, joined(edited.original, head, editedSize - tail)};
}

} // namespace

const QString NoteMerge::separator = QStringLiteral("\n\n--- conflicted copy ---\n\n");

QString NoteMerge::merge(const std::optional<QString>& base, const QString& local,
                         const QString& remote) const {
    const Characters l = characters(local);
    const Characters r = characters(remote);
    if (same(l, r)) return local;
    if (local.isEmpty()) return remote;
    if (remote.isEmpty()) return local;
    if (startsWith(r, l)) return remote;
    if (startsWith(l, r)) return local;
    if (base) {
        const Characters b = characters(*base);
        if (same(l, b)) return remote;
        if (same(r, b)) return local;
    }
    const qsizetype n = prefixCount(l, r);
    const QString prefix = joined(l.original, 0, n);
    const QString localTail = joined(l.original, n, l.original.size());
    const QString remoteTail = joined(r.original, n, r.original.size());
    const bool remoteFirst = codePointsLess(remoteTail, localTail);
    return prefix + (remoteFirst ? remoteTail : localTail) + separator +
           (remoteFirst ? localTail : remoteTail);
}

bool NoteMerge::wouldConflict(const std::optional<QString>& base, const QString& local,
                              const QString& remote) const {
    return merge(base, local, remote).contains(separator);
}

std::optional<QString> NoteMerge::combine(const QString& base, const QString& local,
                                          const QString& remote) const {
    const Characters b = characters(base);
    const Edit l = editOf(b, characters(local));
    const Edit r = editOf(b, characters(remote));
    const auto around = [&b](const Edit& first, const QString& with, const Edit& second) -> QString {
        return joined(b.original, 0, first.from) + with + joined(b.original, second.to, b.original.size());
    };
    if (l.from == l.to && r.from == r.to && l.from == r.from)
        return around(l, merge(std::nullopt, l.with, r.with), r);
    if (l.to <= r.from) return around(l, l.with + joined(b.original, l.to, r.from) + r.with, r);
    if (r.to <= l.from) return around(r, r.with + joined(b.original, r.to, l.from) + l.with, l);
    return std::nullopt;
}

QString NoteMerge::commonPrefix(const QString& a, const QString& b) const {
    const Characters x = characters(a);
    return joined(x.original, 0, prefixCount(x, characters(b)));
}

} // namespace vesk
