#pragma once

#include <QString>

#include <optional>

namespace vesk {

// The scratch note's merge of two computers' texts: one extending the other wins;
// otherwise their shared leading lines are kept once, then both remainders around a
// visible separator, in an order that does not depend on which side is local, so both
// computers show the same text. Characters are user-perceived characters, compared in
// their canonical (NFC) forms. A pure value; any thread.
struct NoteMerge {
    // Two line feeds, "--- conflicted copy ---", two line feeds.
    static const QString separator;

    QString merge(const std::optional<QString>& base, const QString& local, const QString& remote) const;
    bool wouldConflict(const std::optional<QString>& base, const QString& local, const QString& remote) const;
    // Two edits of one text `base`, each taken as the one stretch of it that it replaced,
    // applied together; where both only inserted, at one place, the two insertions are
    // merged there. None when the stretches overlap.
    std::optional<QString> combine(const QString& base, const QString& local, const QString& remote) const;
    // The leading characters `a` and `b` share, cut back to just after the last line
    // feed among them when there is one.
    QString commonPrefix(const QString& a, const QString& b) const;
};

} // namespace vesk
