// A chip dragged out of the tray onto another program that moves the file: the item
// leaves the tray.
#include "Vesk/Tray/TrayChip.h"
#include "Vesk/Tray/TrayDragHandle.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

using namespace vesk;
using namespace vesk::test;

TEST(TrayDragX11Test, AChipMovedOntoAFileManagerLeavesTheTray) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    QTemporaryDir tray;
    QTemporaryDir destination;
    TrayItem item;
    item.id = QUuid::createUuid();
    item.displayName = QStringLiteral("report.txt");
    item.storedPath = tray.filePath(item.displayName);
    {
        QFile out(item.storedPath);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("report");
    }

    QList<TrayItem> removed;
    const TrayViewEnvironment environment;
    // A plain drag moves.
    TrayChip chip(
        item, nullptr, false, [&](const TrayItem& gone) { removed << gone; }, environment);
    chip.setWindowFlag(Qt::FramelessWindowHint);
    chip.setGeometry(100, 300, int(TrayChip::width_), chip.sizeHint().height());
    chip.show();
    ASSERT_TRUE(
        processEventsUntil([&] { return chip.isVisible() && chip.windowHandle()->isExposed(); }, 20000))
        << "the chip's window never showed";

    QProcess target;
    target.start(QStringLiteral(VESK_BINARY_DIR "/bin/vesk-drop-target"), {"700", "300", destination.path()});
    ASSERT_TRUE(target.waitForStarted());
    QByteArray said;
    ASSERT_TRUE(processEventsUntil(
        [&] {
            said += target.readAllStandardOutput();
            return said.contains("ready");
        },
        20000))
        << "the drop target never came up";

    // The whole gesture runs in one xdotool: the drag's own event loop runs meanwhile.
    const QPoint tile = chip.mapToGlobal(chip.tileRect().center().toPoint());
    QStringList gesture{"mousemove",
                        QString::number(tile.x()),
                        QString::number(tile.y()),
                        "sleep",
                        "0.3",
                        "mousedown",
                        "1",
                        "sleep",
                        "0.2"};
    for (int i = 1; i <= 12; ++i)
        gesture << "mousemove" << QString::number(tile.x() + i * (800 - tile.x()) / 12)
                << QString::number(400) << "sleep"
                << "0.1";
    gesture << "mousemove_relative"
            << "--"
            << "2"
            << "2"
            << "sleep"
            << "0.5"
            << "mouseup"
            << "1";
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), gesture);
    ASSERT_TRUE(xdotool.waitForStarted());

    EXPECT_TRUE(processEventsUntil([&] { return !removed.isEmpty(); }, 30000))
        << "the moved item stayed in the tray";
    EXPECT_TRUE(QFile::exists(destination.filePath(item.displayName)));
    EXPECT_FALSE(QFile::exists(item.storedPath));
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed.first().id, item.id);
    xdotool.waitForFinished(20000);
    target.kill();
    target.waitForFinished();
}
