#pragma once

#include <gtest/gtest.h>

#include <QString>

namespace vesk::test {

// Every case's raw value reads back as that case and matching is exact: another
// capitalisation, or nothing at all, names no case.
template <typename E> void expectExactRawValues() {
    for (const E value : allCases<E>()) {
        const QString raw = toRaw(value);
        SCOPED_TRACE(raw.toStdString());
        EXPECT_EQ(fromRaw<E>(raw), value);
        QString capitalised = raw;
        capitalised[0] = capitalised.at(0).toUpper();
        EXPECT_FALSE(fromRaw<E>(capitalised));
    }
    EXPECT_FALSE(fromRaw<E>(u""));
}

} // namespace vesk::test
