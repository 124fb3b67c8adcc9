// Reading the X clipboard on a thread of its own; this process's Qt clipboard is the
// owner that answers (Qt sends data over its request size by INCR).
#include "VeskPlatform/Pasteboard/X11ClipboardReader.h"

#include "support/EventLoop.h"
#include "support/X11/SilentClipboardOwner.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QRandomGenerator>

#include <future>

using namespace vesk;
using namespace vesk::test;

TEST(ClipboardReaderX11Test, ReadsWhatTheOwnerOffersAndStopsAtTheLimit) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    // Over Xvfb's 16 MiB request size: sent in chunks.
    QByteArray blob(17 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(blob.data()), blob.size() / 4);
    auto* data = new QMimeData;
    data->setText(QStringLiteral("héllo"));
    data->setData(QStringLiteral("application/x-vesk-blob"), blob);
    QGuiApplication::clipboard()->setMimeData(data);

    X11ClipboardReader reader(qgetenv("DISPLAY"));
    const auto onThread = [](auto work) {
        auto result = std::async(std::launch::async, work);
        EXPECT_TRUE(processEventsUntil(
            [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 60000))
            << "the read never ended";
        return result.get();
    };
    const QStringList types = onThread([&] { return reader.types(); });
    EXPECT_TRUE(types.contains("UTF8_STRING")) << types.join(' ').toStdString();
    EXPECT_TRUE(types.contains("application/x-vesk-blob"));
    EXPECT_EQ(onThread([&] { return reader.data("UTF8_STRING", 100).bytes; }), "héllo");
    EXPECT_EQ(onThread([&] { return reader.data("UTF8_STRING", 3).status; }),
              ClipboardData::Status::tooLarge);
    const ClipboardData whole = onThread([&] { return reader.data("application/x-vesk-blob", 64 << 20); });
    EXPECT_EQ(whole.status, ClipboardData::Status::ok);
    EXPECT_TRUE(whole.bytes == blob);
    EXPECT_EQ(onThread([&] { return reader.data("application/x-vesk-blob", 1 << 20).status; }),
              ClipboardData::Status::tooLarge);
    EXPECT_EQ(onThread([&] { return reader.data("UTF8_STRING", 100).bytes; }), "héllo")
        << "later reads still work";
}

TEST(ClipboardReaderX11Test, AnOwnerThatNeverAnswersIsGivenUpAfterASecond) {
    SilentClipboardOwner owner;
    X11ClipboardReader reader(qgetenv("DISPLAY"));
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(reader.types().isEmpty());
    EXPECT_GE(timer.elapsed(), ClipboardReader::requestTimeoutMs - 50);
    EXPECT_LT(timer.elapsed(), 10000);
}
