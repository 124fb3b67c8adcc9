#include "support/HangWatchdog.h"
#include "support/ChildMain.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

// Kept out of line, so the stacks name it.
[[gnu::noinline]] int waitsPastTheWatchdog() {
    ::sleep(60);
    return 0;
}

} // namespace

VESK_TEST_CHILD(hangs) {
    // The short limit counts from here, however long starting took.
    vesk::test::hangWatchdog::rearm("the child");
    return waitsPastTheWatchdog();
}

// A hung test is found from its log: every thread's stack is printed before it ends.
TEST(HangWatchdogTest, AHungTestPrintsEveryThreadsStackAndEnds) {
    QTemporaryDir temporary; // the ended child cannot remove its own folders
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VESK_TEST_HANG_LIMIT"), QStringLiteral("1"));
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), vesk::test::childArguments("hangs"));
    ASSERT_TRUE(child.waitForFinished(50000)) << "the watchdog never ended the child";
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), vesk::test::hangWatchdog::status) << qPrintable(output);
    // Every thread's stack (the hung one's among them) comes before the end.
    const QRegularExpression stacks(
        QStringLiteral(
            "made no progress for 1 s.*^Thread \\d+ .*^Thread \\d+ .*test watchdog: ended the process"),
        QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
    EXPECT_TRUE(stacks.match(output).hasMatch()) << qPrintable(output);
    EXPECT_TRUE(output.contains(QLatin1String("waitsPastTheWatchdog"))) << qPrintable(output);
}
