#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <thread>
#include <vector>

using vesk::TraceLog;
using vesk::UserDefaults;

namespace {

class TraceLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserDefaults::setStandard(UserDefaults::inMemory());
        qunsetenv("VESK_TRACE");
        QFile::remove(TraceLog::filePath());
    }
    void TearDown() override {
        qunsetenv("VESK_TRACE");
        UserDefaults::setStandard(nullptr);
    }
    static QByteArray fileContent() {
        QFile file(TraceLog::filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(TraceLogTest, WritesNothingUnlessTracingIsSwitchedOn) {
    TraceLog::trace(QStringLiteral("hidden"));
    EXPECT_FALSE(QFile::exists(TraceLog::filePath()));

    UserDefaults::standard().setBool(QStringLiteral("diagnosticsOptIn"), true);
    TraceLog::trace(QStringLiteral("opted in"));
    EXPECT_TRUE(fileContent().endsWith("  opted in\n"));

    UserDefaults::standard().setBool(QStringLiteral("diagnosticsOptIn"), false);
    qputenv("VESK_TRACE", "");
    TraceLog::trace(QStringLiteral("env"));
    EXPECT_TRUE(fileContent().endsWith("  env\n"));
}

TEST_F(TraceLogTest, LineFormatsOfBothWritersAppendToTheFileInTheRuntimeFolder) {
    qputenv("VESK_TRACE", "1");
    EXPECT_EQ(TraceLog::filePath(),
              vesk::files::userTemporaryFolder() + QStringLiteral("/vesk-diagnostics.log"));
    TraceLog::trace(QStringLiteral("bridge: started"));
    TraceLog::traceMedia(QStringLiteral("spawned pid 42"));
    const QStringList lines = QString::fromUtf8(fileContent()).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].isEmpty());
    const QString stamp = TraceLog::timeStamp(QTime(9, 5, 30));
    EXPECT_TRUE(stamp.contains(QStringLiteral("05")) && stamp.contains(QStringLiteral("30")))
        << qPrintable(stamp);
    const QRegularExpression time(QStringLiteral("^\\S.*\\d\\d(\\s\\S+)?$"));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("  bridge: started")));
    EXPECT_TRUE(time.match(lines[0].section(QStringLiteral("  "), 0, 0)).hasMatch()) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("  [media] spawned pid 42")));
}

TEST_F(TraceLogTest, RecentLinesAreTheLastNonEmptyOnesInOrder) {
    EXPECT_TRUE(TraceLog::recentLogLines(40).isEmpty());
    QByteArray content;
    for (int i = 1; i <= 100; ++i)
        content += "line " + QByteArray::number(i) + (i % 10 == 0 ? "\n\n" : "\n");
    QFile file(TraceLog::filePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    const QStringList last = TraceLog::recentLogLines(40);
    ASSERT_EQ(last.size(), 40);
    EXPECT_EQ(last.first(), QStringLiteral("line 61"));
    EXPECT_EQ(last.last(), QStringLiteral("line 100"));
    EXPECT_EQ(TraceLog::recentLogLines(500).size(), 100);
    EXPECT_TRUE(TraceLog::recentLogLines(0).isEmpty());
    EXPECT_TRUE(TraceLog::recentLogLines(-3).isEmpty());
}

TEST_F(TraceLogTest, NoLineIsLostOrTornWhenSeveralThreadsWriteAtOnce) {
    qputenv("VESK_TRACE", "1");
    constexpr int threads = 6;
    constexpr int perThread = 300;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < perThread; ++i)
                TraceLog::trace(QStringLiteral("writer %1 line %2 ").arg(t).arg(i) +
                                QString(200, QLatin1Char('.')));
        });
    for (auto& w : writers)
        w.join();
    const QStringList lines = TraceLog::recentLogLines(threads * perThread + 10);
    ASSERT_EQ(lines.size(), threads * perThread);
    const QRegularExpression whole(QStringLiteral("  writer \\d line \\d+ \\.{200}$"));
    for (const QString& line : lines)
        ASSERT_TRUE(whole.match(line).hasMatch()) << qPrintable(line);
}

TEST_F(TraceLogTest, ASymlinkPlantedAtThePathIsNotFollowed) {
    qputenv("VESK_TRACE", "1");
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("victim.txt"));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("precious\n");
    file.close();
    ASSERT_TRUE(QFile::link(victim, TraceLog::filePath()));

    TraceLog::trace(QStringLiteral("should not land in the victim"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("precious\n"));
    EXPECT_TRUE(TraceLog::recentLogLines(10).isEmpty());
}
