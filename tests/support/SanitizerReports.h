#pragma once

#include <QString>

namespace vesk::test {

// In a sanitized build, the reports of every program a test starts (and of what those
// start in turn) go to files in one folder of the test process, and each test fails
// when one turned up while it ran: a child that dies of a fault the test did not look
// for still fails it. The test process's own reports go to standard error, and end it.
class SanitizerReports {
public:
    // Points the children's reports at `folder` (only in a sanitized build) and, from
    // then on, checks it after each test.
    static void install(const QString& folder);
    // The reports written since the last look, removed once read; empty when none.
    static QString take();
};

} // namespace vesk::test
