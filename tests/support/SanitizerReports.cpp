#include "support/SanitizerReports.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>

namespace vesk::test {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

QString& reportFolder() {
    static QString folder;
    return folder;
}

// Adds log_path to the options a sanitizer reads from `variable` at start-up.
void sendReportsTo(const char* variable, const QString& prefix) {
    QByteArray options = qgetenv(variable);
    if (!options.isEmpty()) options += ':';
    qputenv(variable, options + "log_path=" + QFile::encodeName(prefix));
}

class AfterEachTest : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        const QString reports = SanitizerReports::take();
        if (!reports.isEmpty()) ADD_FAILURE() << "a program started by this test reported:\n" << qPrintable(reports);
    }
};

} // namespace

void SanitizerReports::install(const QString& folder) {
    if (!sanitized || !QDir().mkpath(folder)) return;
    reportFolder() = folder;
    const QString prefix = folder + QStringLiteral("/report");
    sendReportsTo("ASAN_OPTIONS", prefix);
    sendReportsTo("UBSAN_OPTIONS", prefix);
    ::testing::UnitTest::GetInstance()->listeners().Append(new AfterEachTest);
}

QString SanitizerReports::take() {
    if (reportFolder().isEmpty()) return {};
    QString reports;
    const QDir folder(reportFolder());
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly)) reports += QString::fromUtf8(file.readAll());
        file.remove();
    }
    return reports;
}

} // namespace vesk::test
