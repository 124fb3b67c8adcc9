#include "Vesk/Shell/TerminationSignals.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <csignal>

namespace vesk {
namespace {

TEST(TerminationSignalsTest, EachSignalBecomesOneRequestInTheEventLoop) {
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        TerminationSignals termination;
        ASSERT_TRUE(termination.isInstalled());
        QList<int> requests;
        QObject::connect(&termination, &TerminationSignals::terminationRequested,
                         [&](int received) { requests.append(received); });

        ASSERT_EQ(std::raise(number), 0);
        // The handler only writes to the pipe: nothing happens before the loop runs.
        EXPECT_TRUE(requests.isEmpty());
        EXPECT_TRUE(test::processEventsUntil([&] { return !requests.isEmpty(); }));
        test::processEventsFor(50);
        EXPECT_EQ(requests, QList<int>{number});
    }
}

} // namespace
} // namespace vesk
