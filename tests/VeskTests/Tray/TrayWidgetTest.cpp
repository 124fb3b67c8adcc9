#include "Vesk/Tray/TrayWidget.h"
#include "Vesk/Tray/MoreDropZone.h"
#include "Vesk/Tray/TrayAllChip.h"
#include "Vesk/Tray/TrayChip.h"
#include "VeskPlatform/Pasteboard/SystemPasteboard.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Desk/DeskFixture.h"
#include "support/EventLoop.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace vesk {
namespace {

using test::near;
using test::pixel;

class TrayWidgetTest : public ::testing::Test {
protected:
    TrayWidgetTest() {
        environment.pasteboard = &pasteboard;
        environment.preview = [this](const QList<QUrl>& urls, int index) {
            previewed = urls;
            previewIndex = index;
        };
        environment.reveal = [this](const QString& path) { revealed = path; };
    }

    QList<TrayItem> items(int count) {
        QList<TrayItem> list;
        for (int i = 0; i < count; ++i) {
            TrayItem item = test::trayItem(QStringLiteral("file-%1.txt").arg(i));
            item.storedPath = QStringLiteral("/tmp/tray/%1/file-%1.txt").arg(i);
            list.append(item);
        }
        return list;
    }

    std::unique_ptr<TrayWidget> widget(const QList<TrayItem>& list, bool copyByDefault = true) {
        TrayContentInputs inputs{
            .items = list, .store = nullptr, .copyByDefault = copyByDefault, .actions = {}};
        inputs.actions.onRemove = [this](const QList<TrayItem>& items) {
            for (const TrayItem& item : items)
                removed << item.displayName;
        };
        auto view = std::make_unique<TrayWidget>(inputs, environment, nullptr);
        view->resize(880, 160);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        return view;
    }

    // The hover animation at its end.
    static void settleHover(TrayChip* chip, bool hovering) {
        chip->setHovering(hovering);
        test::processEventsUntil([] { return false; }, 400);
    }

    SystemPasteboard pasteboard;
    TrayViewEnvironment environment;
    QList<QUrl> previewed;
    int previewIndex = -1;
    QString revealed;
    QStringList removed;
};

TEST_F(TrayWidgetTest, AnEmptyTrayShowsOnlyTheDashedBox) {
    const auto view = widget({});
    ASSERT_NE(view->emptyState(), nullptr);
    EXPECT_EQ(view->header(), nullptr);
    const QImage image = test::widgetImage(*view);
    int dashes = 0;
    for (int y = 10; y < 150; ++y)
        dashes += near(pixel(image, 0, y), Vesk::Ink::x600, 40) ? 1 : 0;
    EXPECT_GT(dashes, 50) << "the dashed border's left edge";
    EXPECT_LT(dashes, 110) << "dashed, not solid";
    EXPECT_EQ(pixel(image, 440, 20).alpha(), 0) << "inside the box";
}

TEST_F(TrayWidgetTest, OneItemHasNoAllItemsChipFiveHaveThreeFannedCards) {
    const auto one = widget(items(1));
    EXPECT_EQ(one->allChip(), nullptr);
    ASSERT_NE(one->dropZone(), nullptr);
    EXPECT_GE(one->dropZone()->width(), MoreDropZone::minimumWidth_);
    EXPECT_EQ(one->pasteButton()->toolTip(), u"Add what's on the clipboard (Ctrl+V)"_qs);

    const auto five = widget(items(5));
    ASSERT_NE(five->allChip(), nullptr);
    EXPECT_EQ(five->allChip()->cardAngles(), (QList<double>{-6, 0, 6}));
    EXPECT_EQ(five->allChip()->toolTip(), u"Drag all 5 items out together"_qs);
    // Left to right: all items, then the items in list order.
    const QList<TrayItem> list = five->items();
    EXPECT_LT(five->allChip()->x(), five->chip(list[0].id)->x());
    EXPECT_LT(five->chip(list[0].id)->x(), five->chip(list[4].id)->x());
    five->allChip()->preview();
    EXPECT_EQ(previewed.size(), 5);
    EXPECT_EQ(previewed.first(), list.first().storedURL());
}

TEST_F(TrayWidgetTest, ChipsKeepTheirStateAcrossNewListsAndSayWhatADragDoes) {
    const QList<TrayItem> list = items(3);
    const auto view = widget(list, false);
    TrayChip* kept = view->chip(list[1].id);
    kept->setHovering(true);
    view->setItems({list[1], list[2]});
    EXPECT_EQ(view->chip(list[1].id), kept);
    EXPECT_TRUE(kept->isHovering());
    EXPECT_EQ(view->chip(list[0].id), nullptr);
    EXPECT_TRUE(kept->helpText().endsWith(u" — click to preview; drag out to move, Alt-drag to copy"_qs));
}

TEST_F(TrayWidgetTest, HoverShowsTheRemoveButtonAndTheAccentOutline) {
    const QList<TrayItem> list = items(1);
    const auto view = widget(list);
    TrayChip* chip = view->chip(list[0].id);
    const QPoint edge(int(chip->tileRect().left()), int(chip->tileRect().center().y()));
    EXPECT_FALSE(chip->removeButton()->isVisible());
    for (int dx = -3; dx <= 1; ++dx)
        EXPECT_LT(pixel(test::widgetImage(*chip), edge.x() + dx, edge.y()).lightness(), 80)
            << "a dark outline";
    settleHover(chip, true);
    EXPECT_TRUE(chip->removeButton()->isVisible());
    const QImage hovered = test::widgetImage(*chip);
    // Scaled by 1.05 about its centre: the outline sits about 2 points further out.
    bool accent = false;
    for (int dx = -3; dx <= 1; ++dx)
        accent = accent || pixel(hovered, edge.x() + dx, edge.y()).lightness() > 150;
    EXPECT_TRUE(accent) << "the accent outline while hovered";
    chip->removeButton()->click();
    EXPECT_TRUE(test::processEventsUntil([&] { return removed == QStringList{list[0].displayName}; }));
}

TEST_F(TrayWidgetTest, TheBadgeShowsOnlyForItemsFromAnotherDevice) {
    QList<TrayItem> list = items(2);
    list[1].fromOtherDevice = true;
    const auto view = widget(list);
    EXPECT_TRUE(view->chip(list[0].id)->badgeRect().isNull());
    TrayChip* pasted = view->chip(list[1].id);
    const QRectF badge = pasted->badgeRect();
    ASSERT_FALSE(badge.isNull());
    EXPECT_EQ(pixel(test::widgetImage(*pasted), badge.left() + 2, badge.center().y()), Vesk::Ink::x1000);
}

TEST_F(TrayWidgetTest, TheContextMenuPreviewsShowsCopiesAndRemoves) {
    const QList<TrayItem> list = items(1);
    const auto view = widget(list);
    TrayChip* chip = view->chip(list[0].id);
    const auto choose = [&](const QString& title) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), chip->mapToGlobal(QPoint(20, 20)));
        QCoreApplication::sendEvent(chip, &event);
        ASSERT_TRUE(event.isAccepted()) << "the notch's own menu would open too";
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QStringList titles;
        for (QAction* action : menu->actions())
            titles << action->text();
        EXPECT_EQ(titles,
                  (QStringList{u"Preview"_qs, u"Show in Folder"_qs, u"Copy"_qs, QString(), u"Remove"_qs}));
        // Only "Remove" wears the destructive colour.
        const QImage image = menu->grab().toImage();
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            bool oxblood = false;
            const QRect row = menu->actionGeometry(action);
            for (int y = row.top(); y <= row.bottom(); ++y)
                for (int x = row.left(); x <= row.right(); ++x)
                    oxblood = oxblood || near(image.pixelColor(x, y), Vesk::Semantic::oxblood, 40);
            EXPECT_EQ(oxblood, action->text() == u"Remove"_qs) << action->text().toStdString();
        }
        for (QAction* action : menu->actions())
            if (action->text() == title) action->trigger();
        menu->close();
    };
    choose(u"Copy"_qs);
    EXPECT_EQ(pasteboard.urls(), QList<QUrl>{list[0].storedURL()});
    choose(u"Show in Folder"_qs);
    EXPECT_EQ(revealed, list[0].storedPath);
    choose(u"Preview"_qs);
    EXPECT_EQ(previewed, QList<QUrl>{list[0].storedURL()});
    choose(u"Remove"_qs);
    EXPECT_TRUE(test::processEventsUntil([&] { return removed == QStringList{list[0].displayName}; }));
}

TEST_F(TrayWidgetTest, SpaceInThePanelPreviewsTheHoveredChip) {
    const QList<TrayItem> list = items(2);
    QWidget panel;
    TrayContentInputs inputs{.items = list, .store = nullptr, .copyByDefault = true, .actions = {}};
    auto* view = new TrayWidget(inputs, environment, &panel);
    view->resize(880, 160);
    panel.show();
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u" "_qs);
    QCoreApplication::sendEvent(&panel, &space);
    EXPECT_TRUE(previewed.isEmpty()) << "nothing hovered";
    view->chip(list[1].id)->setHovering(true);
    QCoreApplication::sendEvent(&panel, &space);
    EXPECT_EQ(previewed, QList<QUrl>{list[1].storedURL()});
}

} // namespace
} // namespace vesk
