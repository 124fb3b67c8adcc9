// The clipboard history over the real X clipboard and its own queue.
#include "VeskPlatform/Pasteboard/SystemPasteboard.h"
#include "VeskServices/Clipboard/ClipboardService.h"

#include "support/EventLoop.h"
#include "support/X11/SilentClipboardOwner.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>

using namespace vesk;
using namespace vesk::test;

TEST(ClipboardServiceX11Test, APollNeverWaitsForTheOwner) {
    SystemPasteboard pasteboard;
    ClipboardService service(pasteboard, QStringLiteral("Vesk"));
    ASSERT_TRUE(processEventsUntil([&] { return service.isLoaded(); }, 20000)) << "the history never loaded";
    const auto changed = [&] {
        return processEventsUntil([&] { return pasteboard.changeCount() != service.lastChangeCount(); },
                                  20000);
    };

    std::optional<SilentClipboardOwner> silent(std::in_place);
    ASSERT_TRUE(changed()) << "the clipboard's new owner was never noticed";
    QElapsedTimer timer;
    timer.start();
    service.poll();
    EXPECT_LT(timer.elapsed(), 200);
    ASSERT_TRUE(processEventsUntil([&] { return !service.isReading(); }, 20000)) << "the read never ended";
    EXPECT_TRUE(service.clips().isEmpty());
    silent.reset();

    QGuiApplication::clipboard()->setText(QStringLiteral("copied"));
    ASSERT_TRUE(changed()) << "the copy was never noticed";
    service.poll();
    ASSERT_TRUE(processEventsUntil([&] { return !service.clips().isEmpty(); }, 20000))
        << "nothing was recorded";
    EXPECT_EQ(service.clips().first().text, "copied");
}
