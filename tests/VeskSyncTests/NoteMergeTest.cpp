#include "VeskSync/NoteMerge.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(NoteMergeTest, MergesTheSameWhicheverSideIsLocal) {
    const QString sep = NoteMerge::separator;
    const QString decomposed = QStringLiteral("cafe\u0301");
    const QString precomposed = QStringLiteral("caf\u00e9");
    const struct {
        std::optional<QString> base;
        QString local, remote, merged;
        bool swappedMatches; // rule 7 is symmetric; the base rules are not
    } cases[] = {
        {{}, "abc", "abc", "abc", true},
        {{}, "", "x", "x", true},
        {{}, "ab", "abc", "abc", true},
        {{}, "a\nb", "a\nc", "a\nb" + sep + "c", true},
        {{}, "cat", "car", "car" + sep + "t", true},
        {QStringLiteral("x"), "x", "y", "y", true},
        {QStringLiteral("x"), "xy", "xz", "xy" + sep + "z", true},
        // A CR LF is one character and not a line feed: the prefix is not cut there.
        {{}, "a\r\nb", "a\r\nc", "a\r\nb" + sep + "c", true},
        // Canonically equal texts are equal; one extends the other's canonical form.
        {{}, decomposed, precomposed, decomposed, false},
        {{}, decomposed + "!", precomposed, decomposed + "!", true},
        // A tail beyond U+FFFF sorts after one in U+E000..U+FFFF by code point.
        {{},
         QStringLiteral("n\U0001F600"),
         QStringLiteral("n\uFF5E"),
         QStringLiteral("n\uFF5E") + sep + QStringLiteral("\U0001F600"),
         true},
    };
    const NoteMerge merge;
    for (const auto& c : cases) {
        EXPECT_EQ(merge.merge(c.base, c.local, c.remote), c.merged)
            << c.local.toStdString() << " | " << c.remote.toStdString();
        if (c.swappedMatches) {
            EXPECT_EQ(merge.merge(c.base, c.remote, c.local), c.merged)
                << c.remote.toStdString() << " | " << c.local.toStdString();
        }
        EXPECT_EQ(merge.wouldConflict(c.base, c.local, c.remote), c.merged.contains(sep));
    }
    // Swapping canonically equal texts returns the local one.
    EXPECT_EQ(merge.merge({}, precomposed, decomposed), precomposed);
}

// Two edits of one text: each stays where it was made; insertions at one place merge.
TEST(NoteMergeTest, CombinesTwoEditsOfOneTextWhereTheyDoNotOverlap) {
    const NoteMerge merge;
    EXPECT_EQ(merge.combine("one two", "One two", "one two!"), QStringLiteral("One two!"));
    EXPECT_EQ(merge.combine("one two", "one two!", "One two"), QStringLiteral("One two!"));
    EXPECT_EQ(merge.combine("x\nab", "x\nabc", "x\nabD"), "x\nab" + ("D" + NoteMerge::separator + "c"));
    EXPECT_EQ(merge.combine("cafe\u0301 ", "caf\u00e9 x", "Ycafe\u0301 "), QStringLiteral("Ycafe\u0301 x"));
    EXPECT_EQ(merge.combine("abc", "aXc", "aYc"), std::nullopt);
}

TEST(NoteMergeTest, CommonPrefixStopsAfterTheLastLineFeed) {
    const NoteMerge merge;
    EXPECT_EQ(merge.commonPrefix(QStringLiteral("one\ntwo\nthree"), QStringLiteral("one\ntwo\nthr")),
              QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(merge.commonPrefix(QStringLiteral("cat"), QStringLiteral("car")), QStringLiteral("ca"));
    EXPECT_EQ(merge.commonPrefix(QStringLiteral("x"), QString()), QString());
}
