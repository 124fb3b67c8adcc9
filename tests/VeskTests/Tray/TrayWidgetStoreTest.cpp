// The tray's list wired to a real store, as the desk wires it: every removal republishes
// the list at once, so a chip can be dropped by the very drag that it started.
#include "Vesk/Tray/TrayAllChip.h"
#include "Vesk/Tray/TrayChip.h"
#include "Vesk/Tray/TrayDragHandle.h"
#include "Vesk/Tray/TrayWidget.h"
#include "VeskServices/Tray/TrayIndex.h"
#include "VeskServices/Tray/TrayStore.h"

#include "support/EventLoop.h"
#include "support/Files.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <memory>

namespace vesk {
namespace {

QSet<QUuid> ids(const QList<TrayItem>& items) {
    QSet<QUuid> result;
    for (const TrayItem& item : items)
        result.insert(item.id);
    return result;
}

class TrayWidgetStoreTest : public ::testing::Test {
protected:
    // A store holding `count` files, and the list showing them with Alt held (a move).
    void fill(int count) {
        TrayStoreOptions options;
        options.queueScheduler = &scheduler;
        store = std::make_unique<TrayStore>(QUuid::createUuid().toString(QUuid::WithoutBraces), options);
        QList<QUrl> urls;
        for (int i = 0; i < count; ++i) {
            const QString path = sources.filePath(QStringLiteral("file-%1.txt").arg(i));
            test::writeFile(path, QByteArray::number(i));
            urls.append(QUrl::fromLocalFile(path));
        }
        store->add(urls, false);
        scheduler.advance(1);
        ASSERT_EQ(store->items().size(), count);

        environment.altHeld = [] { return true; };
        TrayContentInputs inputs{
            .items = store->items(), .store = store.get(), .copyByDefault = true, .actions = {}};
        inputs.actions.onRemove = [this](const QList<TrayItem>& items) {
            ++republished;
            store->remove(items);
            view->setItems(store->items());
        };
        view = std::make_unique<TrayWidget>(inputs, environment);
        view->resize(880, 160);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
    }

    // Drags the all-items chip onto a target that moves away the files of `leaving`.
    void dragAllOut(const QList<TrayItem>& leaving) {
        ASSERT_NE(view->allChip(), nullptr);
        TrayDragHandle* handle = view->allChip()->dragHandle();
        handle->performer = [this, leaving](QWidget*, QMimeData* data, const QPixmap&, Qt::DropAction) {
            delete data;
            for (const TrayItem& item : leaving)
                EXPECT_TRUE(QFile::rename(item.storedPath, target.filePath(item.id.toString(QUuid::Id128))));
            return Qt::MoveAction;
        };
        const auto send = [&](QEvent::Type type, QPointF at) {
            QMouseEvent event(type, at, handle->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(handle, &event);
        };
        send(QEvent::MouseButtonPress, QPointF(10, 10));
        send(QEvent::MouseMove, QPointF(30, 10));
    }

    // The item folders in the tray's folder.
    QSet<QUuid> itemFolders() const {
        QSet<QUuid> result;
        for (const QString& name : QDir(store->root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            result.insert(QUuid::fromString(name));
        return result;
    }

    test::ManualScheduler scheduler;
    test::ScopedMainScheduler main{scheduler};
    QTemporaryDir sources;
    QTemporaryDir target;
    TrayViewEnvironment environment;
    std::unique_ptr<TrayStore> store;
    std::unique_ptr<TrayWidget> view;
    int republished = 0;
};

TEST_F(TrayWidgetStoreTest, MovingAllItemsOutKeepsExactlyTheItemsWhoseFilesStayed) {
    const struct {
        int count;
        int leaving;
    } rows[] = {{2, 2}, {2, 1}, {5, 5}, {5, 3}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.leaving << " of " << row.count << " leave");
        fill(row.count);
        const QList<TrayItem> all = store->items();
        const QList<TrayItem> leaving = all.mid(0, row.leaving);
        const QList<TrayItem> staying = all.mid(row.leaving);
        republished = 0;
        dragAllOut(leaving);
        ASSERT_TRUE(test::processEventsUntil([&] { return store->items().size() == staying.size(); }));
        test::processEventsFor(50);
        scheduler.advance(1);

        EXPECT_EQ(republished, 1) << "one list for the whole drag";
        EXPECT_EQ(ids(store->items()), ids(staying));
        EXPECT_EQ(ids(tray_index::read(store->indexPath()).items), ids(staying)) << "the saved index";
        EXPECT_EQ(itemFolders(), ids(staying)) << "no folder left without its item";
        EXPECT_EQ(view->allChip() != nullptr, staying.size() >= 2);
        for (const TrayItem& item : all)
            EXPECT_EQ(view->chip(item.id) != nullptr, ids(staying).contains(item.id))
                << item.displayName.toStdString();
        view.reset();
        store->removeAll();
        scheduler.advance(1);
    }
}

} // namespace
} // namespace vesk
