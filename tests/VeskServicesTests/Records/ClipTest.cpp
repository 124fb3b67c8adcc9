#include "VeskServices/Clipboard/Clip.h"

#include "support/RawValues.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

Clip clip(Clip::Kind kind, const QString& text) {
    return Clip{.id = QUuid::createUuid(),
                .kind = kind,
                .text = text,
                .storedPath = std::nullopt,
                .copiedAt = Date{0},
                .sourceApp = std::nullopt};
}

} // namespace

TEST(ClipTest, KindsAreStoredByTheirExactNames) {
    test::expectExactRawValues<Clip::Kind>();
}

TEST(ClipTest, PreviewCollapsesWhiteSpaceAndCutsAt120Characters) {
    struct Row {
        QString text;
        QString preview;
    };
    const QString a120(120, QLatin1Char('a'));
    const QString emoji = QStringLiteral("\U0001F600"); // two UTF-16 units, one character
    const Row rows[] = {
        {u"  hello \n\tworld  "_qs, u"hello world"_qs},
        {u"a\r\nb"_qs, u"a\r b"_qs}, // carriage returns stay
        {u""_qs, u""_qs},
        {a120, a120},
        {a120 + u"b"_qs, a120 + QChar(0x2026)},
        {emoji.repeated(121), emoji.repeated(120) + QChar(0x2026)},
        {emoji.repeated(120), emoji.repeated(120)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(clip(Clip::Kind::text, row.text).preview(), row.preview);
}
