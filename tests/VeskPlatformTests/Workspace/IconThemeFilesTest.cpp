#include "VeskPlatform/Workspace/IconThemeFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace vesk;

namespace {

void icon(const QString& path, int side) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(path));
}

} // namespace

TEST(IconThemeFilesTest, TakesTheNearestSizeAboveThenScalableThenBelowThenPixmaps) {
    QTemporaryDir root;
    const QString icons = root.path() + QStringLiteral("/icons");
    const QString pixmaps = root.path() + QStringLiteral("/pixmaps");
    const IconThemeFiles files({icons}, {QStringLiteral("Own"), QStringLiteral("hicolor")}, {pixmaps});
    for (int side : {16, 48, 128})
        icon(QStringLiteral("%1/hicolor/%2x%2/apps/app.png").arg(icons).arg(side), side);
    icon(pixmaps + QStringLiteral("/old.png"), 32);

    EXPECT_EQ(files.find(QStringLiteral("app"), 34), icons + QStringLiteral("/hicolor/48x48/apps/app.png"));
    EXPECT_EQ(files.find(QStringLiteral("app"), 600), icons + QStringLiteral("/hicolor/128x128/apps/app.png"))
        << "nothing at or above: the largest below";
    icon(icons + QStringLiteral("/Own/scalable/apps/app.png"), 64);
    EXPECT_EQ(files.find(QStringLiteral("app"), 600), icons + QStringLiteral("/Own/scalable/apps/app.png"))
        << "the desktop's own theme first, its scalable icon before smaller ones";
    EXPECT_EQ(files.find(QStringLiteral("old"), 34), pixmaps + QStringLiteral("/old.png"));
    EXPECT_TRUE(files.find(QStringLiteral("../pixmaps/old"), 34).isEmpty()) << "a name is not a path";
    EXPECT_TRUE(files.find(QStringLiteral("none"), 34).isEmpty());

    const QImage read = IconThemeFiles::read(icons + QStringLiteral("/hicolor/128x128/apps/app.png"), 40);
    EXPECT_EQ(read.size(), QSize(40, 40));
    EXPECT_EQ(read.pixelColor(20, 20), QColor(Qt::blue));
    EXPECT_TRUE(IconThemeFiles::read(root.path() + QStringLiteral("/missing.png"), 40).isNull());
}
