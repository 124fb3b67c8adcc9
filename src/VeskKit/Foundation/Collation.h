#pragma once

#include <QCollator>
#include <QList>

#include <algorithm>

namespace vesk {

// Sorts by the text `key` gives, as the user's locale orders it without regard to case;
// items whose texts compare equal keep their order.
template <typename T, typename Key> void sortByLocalizedName(QList<T>& items, Key key) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(items.begin(), items.end(),
                     [&](const T& a, const T& b) { return collator.compare(key(a), key(b)) < 0; });
}

} // namespace vesk
