#include "Vesk/Desk/DeskView.h"
#include "Vesk/Desk/DeskWidgetRow.h"
#include "Vesk/Desk/Widgets/DeskScrollList.h"
#include "Vesk/Desk/Widgets/RowMenu.h"
#include "Vesk/Notch/NotchHostingView.h"
#include "Vesk/Notch/NotchRootView.h"

#include "support/Desk/DeskFixture.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

namespace vesk {
namespace {

// A widget that is a scroll list of a tall column.
class ListWidget final : public DeskWidget {
public:
    ListWidget(const DeskEnvironment& environment, QWidget* parent) : DeskWidget(environment, parent) {
        list = new DeskScrollList(this);
        auto* column = new QWidget;
        column->setMinimumHeight(600);
        list->setContent(column);
        (new QVBoxLayout(this))->addWidget(list);
    }
    DeskScrollList* list;
};

class DeskInputTest : public ::testing::Test, public test::DeskFixture {
protected:
    // The notch as the controller builds it: a hosting view, the root view and desks
    // made by `builder`.
    void buildNotch() {
        host.resize(800, 260);
        host.setAttribute(Qt::WA_DontShowOnScreen);
        auto* root = new NotchRootView(model, &host);
        root->setDeskFactory(
            [this](DeskTab tab, NotchViewModel& m, double inset, QWidget* parent) -> QWidget* {
                return new DeskView(tab, m, inset, environment, parent, builder);
            });
        host.setRootView(root);
        host.onScroll = [this](double, double, SwipePhase) { ++scrolls; };
        host.show();
    }
    NotchRootView* root() const { return static_cast<NotchRootView*>(host.rootView()); }
    DeskView* openDesk() const { return qobject_cast<DeskView*>(root()->content()); }

    NotchHostingView host;
    int scrolls = 0;
};

TEST_F(DeskInputTest, AWheelOverAListAtItsEndNeverReachesTheNotch) {
    builder = [](WidgetID, const DeskWidgetWiring::Context& context) -> DeskWidget* {
        return new ListWidget(context.environment, context.parent);
    };
    buildNotch();
    open({WidgetID::todos});
    root()->finishAnimations();
    ASSERT_NE(openDesk(), nullptr);
    auto* widget = static_cast<ListWidget*>(openDesk()->row()->widget(WidgetID::todos));
    ASSERT_EQ(widget->list->verticalScrollBar()->value(), 0) << "the list starts at its top";

    const auto wheel = [](QWidget* target, int dy) {
        const QPointF at(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        // As from the window system: only such wheel events travel up to the parents
        // (sendEvent would mark it as sent by the program).
        QSpontaneKeyEvent::setSpontaneous(&event);
        qApp->notify(target, &event);
    };
    wheel(widget->list->viewport(), 120); // upwards, past the top
    EXPECT_EQ(scrolls, 0);
    wheel(widget->list->viewport(), -120);
    EXPECT_GT(widget->list->verticalScrollBar()->value(), 0) << "the list scrolls";
    EXPECT_EQ(scrolls, 0);
    wheel(openDesk(), -120);
    EXPECT_EQ(scrolls, 1) << "outside a list the wheel is the notch's";
}

TEST_F(DeskInputTest, AnOpenDeskTakesTheSizeOfANewLayoutAtOnce) {
    buildNotch();
    open({WidgetID::media});
    root()->finishAnimations();
    settings.setEnabledWidgets({WidgetID::media, WidgetID::todos, WidgetID::notes});
    model.recomputeLayout();
    const QSizeF canvas = model.contentSize(model.state());
    ASSERT_GT(canvas.width(), 552);
    EXPECT_EQ(root()->surfaceRect().width(), canvas.width() + NotchRootView::flaresWidth);
    EXPECT_EQ(openDesk()->width(), int(canvas.width()));
    EXPECT_NE(openDesk()->row()->widget(WidgetID::notes), nullptr);
}

TEST_F(DeskInputTest, ARowMenuOpenOverTheDeskKeepsItOpenUntilThePointerHasLeft) {
    settings.setPreventCloseOnMouseLeave(false);
    buildNotch();
    open({WidgetID::todos});
    root()->finishAnimations();
    QPointer<DeskView> desk = openDesk();
    ASSERT_NE(desk, nullptr);
    const QPointF inside = root()->surfaceRect().center();
    QCursor::setPos(root()->mapToGlobal(inside.toPoint()));
    QMouseEvent move(QEvent::MouseMove, inside, root()->mapToGlobal(inside), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(root(), &move);

    bool removed = false;
    QPointer<QMenu> menu = popupRowMenu(desk->row()->widget(WidgetID::todos), QCursor::pos(),
                                        {{QStringLiteral("Delete"), [&] { removed = true; }}});
    ASSERT_TRUE(test::processEventsUntil([&] { return menu && menu->isVisible(); }, 20000))
        << "the row menu never showed";
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(root(), &leave);
    EXPECT_EQ(model.state(), NotchState::open(DeskTab::desk)) << "the menu's leave closed the desk";

    // The pointer leaves while the menu is open; the desk closes once the menu has closed.
    QCursor::setPos(root()->mapToGlobal(QPoint(2, 250)));
    menu->close();
    EXPECT_EQ(model.state(), NotchState::open(DeskTab::desk)) << "judged inside the menu's close";
    EXPECT_TRUE(
        test::processEventsUntil([&] { return model.state() == NotchState::closed() && desk.isNull(); }));
    EXPECT_FALSE(removed);
}

TEST_F(DeskInputTest, ARowMenuItemChosenAfterItsWidgetWentDoesNothing) {
    open({WidgetID::todos});
    auto desk = this->desk(DeskTab::desk);
    bool removed = false;
    QPointer<QMenu> menu = popupRowMenu(desk->row()->widget(WidgetID::todos), QPoint(10, 10),
                                        {{QStringLiteral("Delete"), [&] { removed = true; }}});
    ASSERT_TRUE(menu);
    desk.reset();
    ASSERT_TRUE(menu) << "the menu outlives the row";
    menu->actions().first()->trigger();
    EXPECT_FALSE(removed);
    menu->close();
}

TEST_F(DeskInputTest, ActivatingThePanelOnOpenFocusesNothingOfTheDesk) {
    for (const auto& [widgets, tab] :
         {std::pair{WidgetSet{}, DeskTab::desk}, std::pair{WidgetSet{WidgetID::todos}, DeskTab::desk},
          std::pair{WidgetSet{WidgetID::todos}, DeskTab::tray}}) {
        QWidget panel;
        panel.resize(800, 260);
        open(widgets, tab);
        auto* desk = new DeskView(tab, model, 18, environment, &panel, builder);
        desk->setGeometry(QRect(QPoint(), model.contentSize(model.state()).toSize()));
        panel.show();
        panel.activateWindow();
        ASSERT_TRUE(test::processEventsUntil([&] { return panel.isActiveWindow(); }, 20000))
            << "the panel never became active";
        EXPECT_EQ(QApplication::focusWidget(), nullptr)
            << "focused "
            << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "");
        model.send(NotchEvent::forceClose());
    }
}

} // namespace
} // namespace vesk
