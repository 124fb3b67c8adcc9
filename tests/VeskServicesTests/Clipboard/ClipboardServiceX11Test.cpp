// The clipboard history over the real X clipboard and its own queue.
#include "VeskPlatform/Pasteboard/SystemPasteboard.h"
#include "VeskServices/Clipboard/ClipboardService.h"

#include "support/EventLoop.h"
#include "support/X11/ClipboardOwner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>

using namespace vesk;
using namespace vesk::test;

// The history over the real clipboard: a poll returns at once while a silent owner is
// asked, and a text another program copies is recorded.
TEST(ClipboardServiceX11Test, TheHistoryNeverWaitsOnTheMainThread) {
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Vesk").removeRecursively();
    SystemPasteboard pasteboard;
    ClipboardService service(pasteboard, QStringLiteral("Vesk"));
    ASSERT_TRUE(processEventsUntil([&] { return service.isLoaded(); }, 20000)) << "the history never loaded";

    {
        ClipboardOwner silent({{"UTF8_STRING", "never sent"}}, true);
        ASSERT_TRUE(
            processEventsUntil([&] { return pasteboard.changeCount() != service.lastChangeCount(); }, 20000))
            << "the clipboard's new owner was never noticed";
        QElapsedTimer timer;
        timer.start();
        service.poll();
        EXPECT_LT(timer.elapsed(), 200);
        EXPECT_TRUE(service.isReading());
        ASSERT_TRUE(processEventsUntil([&] { return !service.isReading(); }, 20000))
            << "the read never ended";
        EXPECT_TRUE(service.clips().isEmpty());
    }

    ClipboardOwner owner({{"UTF8_STRING", "copied elsewhere"}});
    ASSERT_TRUE(
        processEventsUntil([&] { return pasteboard.changeCount() != service.lastChangeCount(); }, 20000))
        << "the clipboard's new owner was never noticed";
    service.poll();
    ASSERT_TRUE(processEventsUntil([&] { return !service.clips().isEmpty(); }, 20000))
        << "nothing was recorded";
    EXPECT_EQ(service.clips().first().text, "copied elsewhere");
}
