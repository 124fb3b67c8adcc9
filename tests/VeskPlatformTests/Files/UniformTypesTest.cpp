#include "VeskPlatform/Files/UniformTypes.h"
#include "VeskPlatform/Files/TypeIcons.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMimeDatabase>
#include <QSet>
#include <QTemporaryDir>

using namespace vesk;

TEST(UniformTypesTest, EveryMimeTypeOfTheTableIsKnownToTheDatabase) {
    const QMimeDatabase db;
    QSet<QString> identifiers;
    for (const uti::Mapping& m : uti::table()) {
        const QMimeType type = db.mimeTypeForName(QString::fromLatin1(m.mimeType));
        EXPECT_TRUE(type.isValid()) << m.mimeType;
        EXPECT_EQ(uti::identifierForMimeType(type), QString::fromLatin1(m.identifier)) << m.mimeType;
        identifiers.insert(QString::fromLatin1(m.identifier));
    }
    // The preferred MIME type of each identifier leads back to it.
    for (const QString& identifier : identifiers) {
        EXPECT_TRUE(uti::isKnown(identifier));
        EXPECT_EQ(uti::identifierForMimeType(uti::mimeTypeForIdentifier(identifier)), identifier)
            << identifier.toStdString();
    }
}

TEST(UniformTypesTest, TypesOutsideTheTableFallBackToAncestorsThenClassesThenData) {
    struct {
        const char* mime;
        const char* identifier;
    } cases[] = {
        {"text/x-log", "public.plain-text"},         // a text/plain descendant
        {"text/x-java", "public.c-source"},          // the nearest listed ancestor wins
        {"text/yaml", "public.yaml"},                // an alias of a listed type
        {"image/x-xcf", "public.image"},             // an image with no listed ancestor
        {"application/x-sqlite3", "public.data"},    // nothing at all
        {"application/x-not-a-type", "public.data"}, // unknown to the database
    };
    for (const auto& c : cases)
        EXPECT_EQ(uti::identifierForMimeType(QString::fromLatin1(c.mime)), QString::fromLatin1(c.identifier))
            << c.mime;
    EXPECT_FALSE(uti::isKnown(QStringLiteral("dyn.ah62d4rv4ge80")));
    EXPECT_TRUE(uti::mimeTypeForIdentifier(QStringLiteral("dyn.ah62d4rv4ge80")).isEmpty());
}

TEST(UniformTypesTest, FilesAreJudgedByContentAndNameAndFoldersAreFolders) {
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    EXPECT_EQ(uti::identifierForFile(write("a.pdf", "%PDF-1.4\n")), "com.adobe.pdf");
    EXPECT_EQ(uti::identifierForFile(write("noextension", "%PDF-1.4\n")), "com.adobe.pdf");
    EXPECT_EQ(uti::identifierForFile(write("b.txt", "plain words")), "public.plain-text");
    EXPECT_EQ(uti::identifierForFile(write("IMG.HEIC", "")), "public.heic");
    EXPECT_EQ(uti::identifierForFile(write("c.zip", "PK\x03\x04")), "public.zip-archive");
    EXPECT_EQ(uti::identifierForFile(dir.path()), "public.folder");
    EXPECT_FALSE(uti::identifierForFile(dir.filePath("missing")));

    EXPECT_EQ(uti::identifierForExtension("JPG"), "public.jpeg");
    EXPECT_EQ(uti::identifierForExtension("tif"), "public.tiff");
    EXPECT_EQ(uti::identifierForExtension("webp"), "org.webmproject.webp");
    EXPECT_EQ(uti::identifierForExtension("svg"), "public.svg-image");
    EXPECT_FALSE(uti::identifierForExtension("zzzunknown"));
    EXPECT_FALSE(uti::identifierForExtension(""));
}

TEST(UniformTypesTest, IconsFollowTheTypeWithGenericDataForUnknownTypes) {
    EXPECT_EQ(uti::iconNames("com.adobe.pdf").first(), "application-pdf");
    EXPECT_TRUE(uti::iconNames("public.folder").contains("folder"));
    EXPECT_EQ(uti::iconNames("dyn.unknown"), uti::iconNames("public.data"));
    const QImage generic = uti::iconImage("public.data", 64);
    ASSERT_FALSE(generic.isNull());
    EXPECT_EQ(generic.size(), QSize(64, 64));
    EXPECT_EQ(uti::iconImage("dyn.unknown", 64), generic);
    EXPECT_NE(uti::iconImage("public.folder", 64), generic);
}
