#include "VeskServices/Tray/TrayItem.h"
#include "VeskServices/Tray/ByteCount.h"
#include "VeskServices/Tray/TrayIndex.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

using namespace vesk;

namespace {

struct ByteCase {
    qint64 bytes;
    const char* text;
};

// Decimal units; whole bytes, whole KB, MB with one decimal, GB and up with two.
constexpr ByteCase byteCases[] = {
    {0, "Zero KB"},
    {1, "1 byte"},
    {999, "999 bytes"},
    {1000, "1 KB"},
    {1500, "2 KB"},
    {999'499, "999 KB"},
    {999'500, "1 MB"},
    {1'250'000, "1.3 MB"},
    {2'040'000, "2 MB"},
    {999'949'999, "999.9 MB"},
    {999'950'000, "1 GB"},
    {1'234'567'890, "1.23 GB"},
    {2'005'000'000, "2.01 GB"},
    {1'000'000'000'000, "1 TB"},
    {3'456'000'000'000, "3.46 TB"},
};

TrayItem sample() {
    TrayItem item;
    item.id = QUuid::fromString(QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E"));
    item.displayName = QStringLiteral("Report.pdf");
    item.storedPath =
        QStringLiteral("/home/u/.local/share/Vesk/Tray/0F8FAD5B-D9CB-469F-A165-70867728950E/Report.pdf");
    item.utTypeIdentifier = QStringLiteral("com.adobe.pdf");
    item.byteSize = 1234;
    item.addedAt = Date{730000000.5};
    return item;
}

} // namespace

TEST(TrayItemTest, ByteCountsUseTheAdaptiveDecimalStyle) {
    QLocale::setDefault(QLocale::c());
    for (const ByteCase& c : byteCases)
        EXPECT_EQ(formatByteCount(c.bytes), QString::fromUtf8(c.text)) << c.bytes;
}

TEST(TrayItemTest, SubtitlesOfFilesAndFolders) {
    QLocale::setDefault(QLocale::c());
    TrayItem file = sample();
    EXPECT_EQ(file.subtitle(), "1 KB");
    file.byteSize = 0;
    EXPECT_EQ(file.subtitle(), "Zero KB");

    TrayItem folder = sample();
    folder.isDirectory = true;
    struct {
        int children;
        qint64 bytes;
        const char* text;
    } cases[] = {
        {0, 0, "0 items"},
        {1, 0, "1 item"},
        {1, 1, "1 item \u00B7 1 byte"},
        {4, 3'500'000, "4 items \u00B7 3.5 MB"},
        {12, 999, "12 items \u00B7 999 bytes"},
    };
    for (const auto& c : cases) {
        folder.childCount = c.children;
        folder.byteSize = c.bytes;
        EXPECT_EQ(folder.subtitle(), QString::fromUtf8(c.text));
    }
}

TEST(TrayItemTest, UnknownTypeIdentifiersCountAsGenericData) {
    TrayItem item = sample();
    EXPECT_EQ(item.utType(), "com.adobe.pdf");
    item.utTypeIdentifier = QStringLiteral("dyn.ah62d4rv4ge80");
    EXPECT_EQ(item.utType(), "public.data");
}

TEST(TrayItemTest, JsonUsesTheFieldNamesAndLeavesAbsentOptionalsOut) {
    TrayItem item = sample();
    const QJsonObject bare = item.toJson();
    EXPECT_EQ(bare.keys(), (QStringList{"addedAt", "byteSize", "childCount", "displayName", "id",
                                        "isDirectory", "storedPath", "utTypeIdentifier"}));
    EXPECT_EQ(bare.value("id").toString(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(bare.value("addedAt").toDouble(), 730000000.5);
    EXPECT_EQ(TrayItem::fromJson(bare), item);

    item.originalPath = QStringLiteral("/home/u/Report.pdf");
    item.bookmark = QByteArray("\x01\x02\x03", 3);
    item.thumbnailPath = QStringLiteral("/x/thumb.png");
    item.stackID = QUuid::createUuid();
    item.fromOtherDevice = true;
    const QJsonObject full = item.toJson();
    EXPECT_EQ(full.value("bookmark").toString(), "AQID");
    EXPECT_TRUE(full.value("fromOtherDevice").toBool());
    EXPECT_EQ(TrayItem::fromJson(full), item);
}

TEST(TrayItemTest, AnEntryWithAMissingOrMistypedKeyDoesNotDecode) {
    const QJsonObject good = sample().toJson();
    for (const char* key : {"id", "displayName", "storedPath", "utTypeIdentifier", "byteSize", "addedAt",
                            "isDirectory", "childCount"}) {
        QJsonObject missing = good;
        missing.remove(QLatin1String(key));
        EXPECT_FALSE(TrayItem::fromJson(missing)) << key;
    }
    QJsonObject wrong = good;
    wrong.insert("isDirectory", 1);
    EXPECT_FALSE(TrayItem::fromJson(wrong));
    wrong = good;
    wrong.insert("stackID", "not a uuid");
    EXPECT_FALSE(TrayItem::fromJson(wrong));
    wrong = good;
    wrong.insert("byteSize", 1.5);
    EXPECT_FALSE(TrayItem::fromJson(wrong));
    QJsonObject extra = good;
    extra.insert("somethingNew", true);
    EXPECT_TRUE(TrayItem::fromJson(extra));
}

// TrayRecoveryTest covers entries that do not decode, an index cut short and one that
// is not JSON; these are the other shapes.
TEST(TrayIndexTest, DecodingKeepsEveryReadableEntry) {
    TrayItem a = sample();
    TrayItem b = sample();
    b.id = QUuid::createUuid();
    const QByteArray intact = tray_index::encode({a, b});
    const auto whole = tray_index::decode(intact);
    EXPECT_EQ(whole.condition, tray_index::Condition::intact);
    EXPECT_EQ(whole.items, (QList<TrayItem>{a, b}));

    QJsonArray array{a.toJson(), QJsonObject{{"id", "x"}}, 7, b.toJson()};
    const auto partial = tray_index::decode(QJsonDocument(array).toJson());
    EXPECT_EQ(partial.condition, tray_index::Condition::damaged);
    EXPECT_EQ(partial.items, (QList<TrayItem>{a, b}));
    EXPECT_FALSE(partial.problem.isEmpty());
    for (const QByteArray& junk : {QByteArray("{}"), QByteArray(""), QByteArray("[")}) {
        EXPECT_EQ(tray_index::decode(junk).condition, tray_index::Condition::damaged) << junk.constData();
        EXPECT_TRUE(tray_index::decode(junk).items.isEmpty());
    }
}
