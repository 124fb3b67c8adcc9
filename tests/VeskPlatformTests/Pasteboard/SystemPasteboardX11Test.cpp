// The pasteboard layer over the X server's clipboard and selection.
#include "VeskPlatform/Pasteboard/SystemPasteboard.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMimeData>

using namespace vesk;

TEST(SystemPasteboardX11Test, CountsChangesAndReadsEachKindOfContent) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    SystemPasteboard pasteboard;
    const qint64 start = pasteboard.changeCount();
    const qint64 afterText = pasteboard.setString(QStringLiteral("hello"));
    EXPECT_EQ(afterText, start + 1) << "our own write moves the count exactly once";
    EXPECT_EQ(pasteboard.string(), "hello");
    EXPECT_TRUE(pasteboard.urls().isEmpty());
    EXPECT_TRUE(pasteboard.image().isNull());

    auto* data = new QMimeData;
    data->setUrls(
        {QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")), QUrl(QStringLiteral("https://example.org"))});
    data->setData(QStringLiteral("com.apple.is-remote-clipboard"), QByteArray("1"));
    EXPECT_EQ(pasteboard.setContents(data), afterText + 1);
    EXPECT_EQ(pasteboard.urls().size(), 2);
    EXPECT_EQ(pasteboard.urls().first().toLocalFile(), "/tmp/a b.txt");
    EXPECT_TRUE(pasteboard.hasType(QStringLiteral("com.apple.is-remote-clipboard")));
    EXPECT_EQ(pasteboard.data(QStringLiteral("com.apple.is-remote-clipboard")), "1");

    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    pasteboard.setImage(image);
    const QImage back = pasteboard.image();
    ASSERT_EQ(back.size(), QSize(8, 4));
    EXPECT_EQ(back.pixel(0, 0), qRgb(1, 2, 3));

    // Someone else writing through the clipboard directly is seen too.
    const qint64 before = pasteboard.changeCount();
    QGuiApplication::clipboard()->setText(QStringLiteral("from elsewhere"));
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_GT(pasteboard.clearContents(), before + 1);
    EXPECT_TRUE(pasteboard.string().isEmpty());

    // The selection is counted apart.
    SystemPasteboard selection(QClipboard::Selection);
    const qint64 clipboardCount = pasteboard.changeCount();
    selection.setString(QStringLiteral("selected"));
    EXPECT_EQ(pasteboard.changeCount(), clipboardCount);
    EXPECT_EQ(selection.string(), "selected");
}
