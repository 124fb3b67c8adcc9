#include "VeskKit/Foundation/TypedJson.h"

#include <gtest/gtest.h>

#include <QVariantList>

namespace json = vesk::json;

TEST(TypedJsonTest, StringsWithEscapesAndAnyCharacterRoundTrip) {
    const QString text = QStringLiteral("quote \" backslash \\ tab \t newline \n bell \a é ß 漢 😀 /");
    const QVariantMap values{{text, text}, {QString(), QString()}};
    const auto back = json::readTyped(json::writeTyped(values));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, values);

    const auto escaped = json::readTyped(R"({"a": "\u00e9\ud83d\ude00\/\b\f", "lone": "\ud800x"})");
    ASSERT_TRUE(escaped);
    EXPECT_EQ(escaped->value(QStringLiteral("a")).toString(), QStringLiteral("é😀/\b\f"));
    EXPECT_EQ(escaped->value(QStringLiteral("lone")).toString(), QStringLiteral("\uFFFDx"));
}

TEST(TypedJsonTest, FilesWrittenByOtherJsonWritersRead) {
    const auto back = json::readTyped(R"(  {"a":[1,2.5,-0,true,false,null,{}],"b":{"c":"d"},"n":null,
                                          "big":123456789012345678901234567890, "e":1E2}  )");
    ASSERT_TRUE(back);
    const QVariantList a = back->value(QStringLiteral("a")).toList();
    ASSERT_EQ(a.size(), 7);
    EXPECT_EQ(a.at(0), QVariant::fromValue<qint64>(1));
    EXPECT_EQ(a.at(1), QVariant(2.5));
    EXPECT_EQ(a.at(3), QVariant(true));
    EXPECT_FALSE(a.at(5).isValid());
    EXPECT_EQ(back->value(QStringLiteral("b")).toMap().value(QStringLiteral("c")),
              QVariant(QStringLiteral("d")));
    EXPECT_FALSE(back->contains(QStringLiteral("n")));
    EXPECT_EQ(back->value(QStringLiteral("big")).typeId(), QMetaType::Double);
    EXPECT_EQ(back->value(QStringLiteral("e")), QVariant(100.0));
}

TEST(TypedJsonTest, MalformedTextIsRefusedWithAReason) {
    const char* const samples[] = {
        "",
        "[]",
        "{\"a\": tru}",
        "{\"a\": 1,}",
        "{\"a\" 1}",
        "{\"a\": 01}",
        "{\"a\": 1.}",
        "{\"a\": -}",
        "{\"a\": \"x}",
        "{\"a\": 1} x",
        "{\"a\": \"\\q\"}",
        "{a: 1}",
        "{\"a\": \"tab\there\"}",
    };
    for (const char* sample : samples) {
        QString error;
        EXPECT_FALSE(json::readTyped(QByteArray(sample), &error)) << sample;
        EXPECT_FALSE(error.isEmpty()) << sample;
    }
    const QByteArray deep = QByteArray("{\"a\":") + QByteArray(100000, '[') + QByteArray(100000, ']') + "}";
    EXPECT_FALSE(json::readTyped(deep));
}
