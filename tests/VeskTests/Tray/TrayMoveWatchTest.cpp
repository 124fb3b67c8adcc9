#include "Vesk/Tray/TrayMoveWatch.h"
#include "Vesk/Tray/TrayAllChip.h"
#include "Vesk/Tray/TrayDragHandle.h"
#include "Vesk/Tray/TrayWidget.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>

namespace vesk {
namespace {

// A target that takes the files of an "All" move one by one after the drag returned:
// the first to leave takes the all-items chip (and its drag handle) with it, and the
// others still leave the tray.
TEST(TrayMoveWatchTest, FilesLeavingAfterTheAllItemsChipWentStillLeaveTheTray) {
    QTemporaryDir folder;
    QList<TrayItem> items;
    for (const QString& name : {u"a.txt"_qs, u"b.txt"_qs, u"c.txt"_qs}) {
        TrayItem item;
        item.id = QUuid::createUuid();
        item.displayName = name;
        item.storedPath = folder.filePath(name);
        QFile out(item.storedPath);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        items.append(item);
    }
    const TrayViewEnvironment environment;
    std::unique_ptr<TrayWidget> widget;
    QStringList removed;
    TrayContentInputs inputs{.items = items, .store = nullptr, .copyByDefault = false, .actions = {}};
    // As the desk does: the tray republishes what is left.
    inputs.actions.onRemove = [&](const QList<TrayItem>& gone) {
        QList<TrayItem> left = widget->items();
        for (const TrayItem& item : gone) {
            removed << item.displayName;
            left.removeAll(item);
        }
        widget->setItems(left);
    };
    widget = std::make_unique<TrayWidget>(inputs, environment, nullptr);
    widget->resize(880, 160);
    widget->setAttribute(Qt::WA_DontShowOnScreen);
    widget->show();

    TrayDragHandle* handle = widget->allChip()->dragHandle();
    handle->performer = [](QWidget*, QMimeData* data, const QPixmap&, Qt::DropAction) {
        delete data;
        return Qt::MoveAction;
    };
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseMove}) {
        const QPointF at(type == QEvent::MouseMove ? 30 : 10, 10);
        QMouseEvent event(type, at, handle->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &event);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(removed.isEmpty()) << "every file is still there";

    ASSERT_TRUE(QFile::remove(items[0].storedPath));
    ASSERT_TRUE(QFile::remove(items[1].storedPath));
    ASSERT_TRUE(test::processEventsUntil([&] { return widget->allChip() == nullptr; }))
        << "the first files never left";
    EXPECT_EQ(removed, (QStringList{u"a.txt"_qs, u"b.txt"_qs}));
    ASSERT_TRUE(QFile::remove(items[2].storedPath));
    EXPECT_TRUE(test::processEventsUntil([&] { return removed.size() == 3; }))
        << "the last file left after the chip that was dragged";
    EXPECT_TRUE(widget->items().isEmpty());
    // The watch ended with its last file.
    EXPECT_TRUE(test::processEventsUntil([&] { return widget->findChildren<TrayMoveWatch*>().isEmpty(); }));
}

} // namespace
} // namespace vesk
