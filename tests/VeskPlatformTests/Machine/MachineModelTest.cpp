#include "VeskPlatform/Machine/MachineModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vesk;

TEST(MachineModelTest, PrefersTheDmiProductNameThenTheDeviceTreeModel) {
    const struct {
        QByteArray product;
        QByteArray deviceTree;
        QString expected;
    } cases[] = {
        {"Mac15,12\n", QByteArray("Board\0", 6), u"Mac15,12"_qs},
        {"  \n", QByteArray("Raspberry Pi 4 Model B Rev 1.4\0junk", 35),
         u"Raspberry Pi 4 Model B Rev 1.4"_qs},
        {{}, {}, {}},
    };
    for (const auto& c : cases) {
        QTemporaryDir root;
        const auto write = [&](const QString& relative, const QByteArray& bytes) {
            QDir().mkpath(QFileInfo(root.filePath(relative)).path());
            QFile file(root.filePath(relative));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        if (!c.product.isNull()) write(u"sys/class/dmi/id/product_name"_qs, c.product);
        if (!c.deviceTree.isNull()) write(u"sys/firmware/devicetree/base/model"_qs, c.deviceTree);
        EXPECT_EQ(machine::model(root.path()), c.expected);
    }
    EXPECT_EQ(machine::decodeModel(QByteArray("X\xffY")), QStringView(u"X\uFFFDY").toString());
}
