#include "Vesk/Shell/SingleInstanceLock.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace vesk {
namespace {

TEST(SingleInstanceLockTest, OneHolderAtATimeUntilItLetsGo) {
    const QString path = SingleInstanceLock::pathForDisplay(QStringLiteral(":7"));
    EXPECT_TRUE(path.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/')));

    auto first = std::make_unique<SingleInstanceLock>(path);
    ASSERT_TRUE(first->tryLock());
    EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther), 0);

    SingleInstanceLock second(path);
    EXPECT_FALSE(second.tryLock());
    EXPECT_TRUE(second.error().isEmpty()) << qPrintable(second.error());

    // Another display is another instance.
    SingleInstanceLock elsewhere(SingleInstanceLock::pathForDisplay(QStringLiteral(":8")));
    EXPECT_TRUE(elsewhere.tryLock());

    // A child started just before holds a copy of the descriptor until its exec: letting
    // go frees the lock all the same.
    const pid_t child = ::fork();
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    first.reset();
    EXPECT_TRUE(second.tryLock());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

TEST(SingleInstanceLockTest, DisplayNamesOfOneServerShareALock) {
    // Only letters, digits, '.' and '-' reach the file name.
    const struct {
        const char* display;
        const char* key;
    } rows[] = {
        {":0", "_0"},   {":0.0", "_0"},
        {":0.1", "_0"}, {"localhost:10.0", "localhost_10"},
        {"", "none"},   {"/tmp/launch-x/org.xquartz:0", "_tmp_launch-x_org.xquartz_0"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SingleInstanceLock::displayKey(QString::fromUtf8(row.display)), QString::fromUtf8(row.key))
            << row.display;
}

TEST(SingleInstanceLockTest, ALinkInPlaceOfTheLockIsNotFollowed) {
    const QString path = SingleInstanceLock::pathForDisplay(QStringLiteral(":9"));
    const QString target = qEnvironmentVariable("VESK_TEST_ROOT") + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QFile::link(target, path));
    SingleInstanceLock lock(path);
    EXPECT_FALSE(lock.tryLock());
    EXPECT_FALSE(lock.error().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(target));
}

} // namespace
} // namespace vesk
