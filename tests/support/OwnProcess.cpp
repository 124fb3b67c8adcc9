#include "support/OwnProcess.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

namespace vesk::test {

bool runsInOwnProcess() {
    const ::testing::UnitTest& run = *::testing::UnitTest::GetInstance();
    if (run.test_to_run_count() == 1) return true;
    const ::testing::TestInfo& test = *run.current_test_info();
    const QString name = QString::fromUtf8(test.test_suite_name()) + QLatin1Char('.') + QString::fromUtf8(test.name());
    QProcess alone;
    alone.setProcessChannelMode(QProcess::ForwardedChannels);
    alone.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + name});
    if (!alone.waitForFinished(120000)) {
        alone.kill();
        alone.waitForFinished();
        ADD_FAILURE() << qPrintable(name) << " did not end in a process of its own";
        return false;
    }
    EXPECT_TRUE(alone.exitStatus() == QProcess::NormalExit && alone.exitCode() == 0)
        << qPrintable(name) << " failed in a process of its own (its output is above)";
    return false;
}

} // namespace vesk::test
