#include "VeskKit/Foundation/Json.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(JsonTest, FoundationFormsOfUuidDataAndDate) {
    const QUuid uuid = QUuid::fromString(QStringLiteral("{3f2504e0-4f89-11d3-9a0c-0305e82c3301}"));
    EXPECT_EQ(json::fromUuid(uuid), QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C3301"));
    EXPECT_EQ(json::toUuid(json::fromUuid(uuid)), uuid);
    EXPECT_FALSE(json::toUuid(QStringLiteral("not-a-uuid")));

    EXPECT_EQ(json::fromData(QByteArray("Vesk")), QStringLiteral("VmVzaw=="));
    EXPECT_EQ(json::toData(QStringLiteral("VmVzaw==")), QByteArray("Vesk"));
    EXPECT_FALSE(json::toData(QStringLiteral("%%%")));

    EXPECT_EQ(json::toDate(QJsonValue(12.5)), Date{12.5});
    EXPECT_FALSE(json::toDate(QJsonValue(QStringLiteral("12.5"))));
}

TEST(JsonTest, OptionalsAreOmittedWhenAbsent) {
    QJsonObject object;
    json::insertOptional(object, QStringLiteral("title"), std::optional<QString>(),
                         [](const QString& s) { return QJsonValue(s); });
    json::insertOptional(object, QStringLiteral("when"), std::optional<Date>(Date{3}), json::fromDate);
    EXPECT_FALSE(object.contains(QStringLiteral("title")));
    EXPECT_EQ(object.value(QStringLiteral("when")).toDouble(), 3.0);
}

TEST(JsonTest, ReaderReadsFieldsAndReportsTheFirstFailureClearly) {
    const QJsonObject object{{QStringLiteral("id"), QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C3301")},
                             {QStringLiteral("name"), QStringLiteral("a.txt")},
                             {QStringLiteral("size"), 12},
                             {QStringLiteral("addedAt"), 5.0},
                             {QStringLiteral("note"), QJsonValue::Null}};
    json::Reader good(object, QStringLiteral("tray item"));
    EXPECT_EQ(good.string(QStringLiteral("name")), QStringLiteral("a.txt"));
    EXPECT_EQ(good.integer(QStringLiteral("size")), 12);
    EXPECT_EQ(good.date(QStringLiteral("addedAt")), Date{5});
    EXPECT_FALSE(good.uuid(QStringLiteral("id")).isNull());
    EXPECT_EQ(good.optionalString(QStringLiteral("note")), std::nullopt);
    EXPECT_EQ(good.optionalString(QStringLiteral("absent")), std::nullopt);
    EXPECT_TRUE(good.ok());

    json::Reader bad(object, QStringLiteral("tray item"));
    bad.string(QStringLiteral("size"));
    bad.string(QStringLiteral("missing"));
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.error(), QStringLiteral("tray item: field \"size\" is not a string"));

    json::Reader fraction(QJsonObject{{QStringLiteral("n"), 1.5}});
    fraction.integer(QStringLiteral("n"));
    EXPECT_FALSE(fraction.ok());
}
