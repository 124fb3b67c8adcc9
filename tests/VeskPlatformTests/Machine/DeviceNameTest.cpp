#include "VeskPlatform/Machine/DeviceName.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vesk;

TEST(DeviceNameTest, ThePrettyNameThenTheHostName) {
    const struct {
        const char* machineInfo; // null: no file
        const char* host;
        const char* expected;
    } cases[] = {
        {"PRETTY_HOSTNAME=\"Anna's \\\"Laptop\\\"\"\nCHASSIS=laptop\n", "anna-x1", "Anna's \"Laptop\""},
        {"CHASSIS=desktop\nPRETTY_HOSTNAME=Studio\n", "studio", "Studio"},
        {"PRETTY_HOSTNAME=\n", "box", "box"},
        {nullptr, "box", "box"},
    };
    for (const auto& c : cases) {
        QTemporaryDir root;
        if (c.machineInfo) {
            QDir(root.path()).mkpath(QStringLiteral("etc"));
            QFile file(root.filePath(QStringLiteral("etc/machine-info")));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.machineInfo);
        }
        EXPECT_EQ(machine::deviceName(root.path(), QString::fromLatin1(c.host)),
                  QString::fromUtf8(c.expected));
    }
}
