#include "VeskPlatform/Machine/OperatingSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/Files.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(OperatingSystemTest, VersionIdPaddedToThreeNumbers) {
    const std::vector<std::pair<const char*, const char*>> table{
        {"NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n", "12.0.0"},
        {"VERSION_ID=22.04\n", "22.4.0"},
        {"VERSION_ID='3.18.4'\n", "3.18.4"},
        {"VERSION_ID=\"1.2.3.4\"\n", ""},
        {"VERSION_ID=rolling\n", ""},
        {"VERSION_ID=\"12.x\"\n", ""},
        {"VERSION_ID=\"\"\n", ""},
        {"NAME=Arch Linux\nBUILD_ID=rolling\n", ""},
    };
    for (const auto& [text, expected] : table)
        EXPECT_EQ(machine::paddedVersionId(QString::fromUtf8(text)), QString::fromUtf8(expected)) << text;
}

TEST(OperatingSystemTest, FallsBackToTheSystemCopyThenToTheKernelRelease) {
    QTemporaryDir root;
    vesk::test::writeFile(root.filePath(QStringLiteral("proc/sys/kernel/osrelease")), "6.1.0-18-amd64\n");
    EXPECT_EQ(machine::osVersion(root.path()), QStringLiteral("6.1.0-18-amd64"));

    vesk::test::writeFile(root.filePath(QStringLiteral("usr/lib/os-release")), "VERSION_ID=\"11\"\n");
    EXPECT_EQ(machine::osVersion(root.path()), QStringLiteral("11.0.0"));

    vesk::test::writeFile(root.filePath(QStringLiteral("etc/os-release")), "ID=arch\n");
    EXPECT_EQ(machine::osVersion(root.path()), QStringLiteral("6.1.0-18-amd64"));

    vesk::test::writeFile(root.filePath(QStringLiteral("etc/os-release")), "VERSION_ID=12\n");
    EXPECT_EQ(machine::osVersion(root.path()), QStringLiteral("12.0.0"));
}

TEST(OperatingSystemTest, NameIsThePrettyNameThenNameAndVersionThenLinux) {
    QTemporaryDir root;
    vesk::test::writeFile(root.filePath(QStringLiteral("proc/sys/kernel/osrelease")), "6.1.0-18-amd64\n");
    EXPECT_EQ(machine::osName(root.path()), QStringLiteral("Linux 6.1.0-18-amd64"));

    vesk::test::writeFile(root.filePath(QStringLiteral("usr/lib/os-release")),
                          "NAME=\"Fedora Linux\"\nVERSION_ID=40\n");
    EXPECT_EQ(machine::osName(root.path()), QStringLiteral("Fedora Linux 40"));

    vesk::test::writeFile(root.filePath(QStringLiteral("etc/os-release")),
                          "PRETTY_NAME_OLD=x\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=Debian\n");
    EXPECT_EQ(machine::osName(root.path()), QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
}

} // namespace
} // namespace vesk
