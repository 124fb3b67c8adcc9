#include "VeskPlatform/Machine/MachineModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vesk;

namespace {

void writeFile(const QString& root, const QString& relative, const QByteArray& bytes) {
    const QString path = root + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(MachineModelTest, PrefersTheDMIProductNameWithoutItsLineBreak) {
    QTemporaryDir root;
    writeFile(root.path(), u"sys/class/dmi/id/product_name"_qs, "Mac15,12\n");
    writeFile(root.path(), u"sys/firmware/devicetree/base/model"_qs, QByteArray("Board\0", 6));
    EXPECT_EQ(machine::model(root.path()), u"Mac15,12"_qs);
}

TEST(MachineModelTest, FallsBackToTheDeviceTreeModel) {
    QTemporaryDir root;
    writeFile(root.path(), u"sys/class/dmi/id/product_name"_qs, "  \n");
    writeFile(root.path(), u"sys/firmware/devicetree/base/model"_qs,
              QByteArray("Raspberry Pi 4 Model B Rev 1.4\0junk", 35));
    EXPECT_EQ(machine::model(root.path()), u"Raspberry Pi 4 Model B Rev 1.4"_qs);
}

TEST(MachineModelTest, IsEmptyWhenNothingCanBeRead) {
    QTemporaryDir root;
    EXPECT_EQ(machine::model(root.path()), QString());
}

TEST(MachineModelTest, DecodesUpToTheFirstZeroAndReplacesInvalidBytes) {
    EXPECT_EQ(machine::decodeModel(QByteArray("A\0B", 3)), u"A"_qs);
    EXPECT_EQ(machine::decodeModel(QByteArray("X\xffY")), QStringView(u"X\uFFFDY").toString());
    EXPECT_EQ(machine::decodeModel(QByteArray()), QString());
}
