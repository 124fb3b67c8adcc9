#include "VeskKit/Foundation/TypedJson.h"

#include <gtest/gtest.h>

#include <QVariantList>

#include <limits>

namespace json = vesk::json;

TEST(TypedJsonTest, WholeDoublesStayDoublesAndIntegersStayIntegers) {
    const QVariantMap values{
        {QStringLiteral("padding"), 12.0},
        {QStringLiteral("version"), QVariant::fromValue<qint64>(12)},
        {QStringLiteral("flag"), true},
        {QStringLiteral("one"), QVariant::fromValue<qint64>(1)},
        {QStringLiteral("huge"), 1e20},
        {QStringLiteral("tiny"), 1e-7},
        {QStringLiteral("negative"), -3.0},
        {QStringLiteral("largest"), QVariant::fromValue<qint64>(std::numeric_limits<qint64>::max())},
        {QStringLiteral("nested"),
         QVariantList{2.0, QVariant::fromValue<qint64>(2), QVariantMap{{QStringLiteral("x"), 4.0}}}},
    };
    const auto back = json::readTyped(json::writeTyped(values));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, values);
    EXPECT_EQ(back->value(QStringLiteral("padding")).typeId(), QMetaType::Double);
    EXPECT_EQ(back->value(QStringLiteral("version")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(back->value(QStringLiteral("flag")).typeId(), QMetaType::Bool);
    EXPECT_EQ(back->value(QStringLiteral("one")).typeId(), QMetaType::LongLong);
    const QVariantList nested = back->value(QStringLiteral("nested")).toList();
    EXPECT_EQ(nested.at(0).typeId(), QMetaType::Double);
    EXPECT_EQ(nested.at(1).typeId(), QMetaType::LongLong);
    EXPECT_EQ(nested.at(2).toMap().value(QStringLiteral("x")).typeId(), QMetaType::Double);
}

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
