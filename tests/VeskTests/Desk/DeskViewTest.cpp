#include "Vesk/Desk/DeskView.h"
#include "Vesk/Desk/DeskHeader.h"
#include "Vesk/Desk/DeskMetrics.h"
#include "Vesk/Desk/DeskWidgetRow.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskServices/Tray/TrayItem.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Desk/DeskFixture.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace vesk {
namespace {

using test::near;
using test::pixel;

TEST(DeskMetricsTest, SideZonesAndExtraWidthNeverGoNegative) {
    const auto placements = [](QList<double> widths) {
        QList<WidgetPlacement> list;
        for (double width : widths)
            list.append(WidgetPlacement{.width = width});
        return list;
    };
    struct Case {
        double canvas, notch;
        QList<double> widths;
        double side, extra;
    };
    const Case cases[] = {
        {552, 180, {270, 216}, 168, 4}, // the worked example
        {552, 180, {270}, 168, 552 - 36 - 270},
        {200, 180, {270, 216}, 0, 0}, // too narrow for either
        {552, 180, {}, 168, 0},       // nothing placed
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(DeskMetrics::sideZoneWidth(c.canvas, 18, c.notch), c.side) << c.canvas;
        EXPECT_DOUBLE_EQ(DeskMetrics::extraWidthPerWidget(c.canvas, 18, placements(c.widths)), c.extra)
            << c.widths.size() << " placed";
    }
}

class DeskViewTest : public ::testing::Test, public test::DeskFixture {
protected:
    int settingsPosts() const { return *m_settingsPosts; }

    DeskViewTest() {
        NotificationCenter::defaultCenter().observe(
            notchNotifications::veskOpenSettings, &m_context,
            [count = m_settingsPosts](const Notification&) { ++*count; });
    }

private:
    QObject m_context;
    std::shared_ptr<int> m_settingsPosts = std::make_shared<int>(0);
};

TEST_F(DeskViewTest, TheRowFillsTheCanvasWithADividerInTheMiddleOfEachGap) {
    open({WidgetID::media, WidgetID::todos});
    const auto desk = this->desk(DeskTab::desk);
    ASSERT_EQ(desk->canvasSize().width(), 552);
    EXPECT_DOUBLE_EQ(desk->sideZoneWidth(), 168);
    EXPECT_DOUBLE_EQ(desk->extraWidthPerWidget(), 4);

    const QImage image = test::widgetImage(*desk);
    // Row: from x 18, below the 32-tall header and the 4 of spacing; 274 + 22 + 220.
    const QColor sage(0x6F, 0x8A, 0x62);
    EXPECT_EQ(pixel(image, 19, 60), sage) << "first widget";
    EXPECT_EQ(pixel(image, 18 + 273, 60), sage) << "first widget's right edge";
    EXPECT_EQ(pixel(image, 18 + 274 + 11, 60), Vesk::Ink::x700) << "divider";
    EXPECT_EQ(pixel(image, 18 + 274 + 5, 60).alpha(), 0) << "gap beside the divider";
    EXPECT_EQ(pixel(image, 18 + 274 + 22, 60), sage) << "second widget";
    EXPECT_EQ(pixel(image, 18 + 274 + 22 + 219, 60), sage) << "second widget's right edge";
    EXPECT_EQ(pixel(image, 18 + 274 + 22 + 221, 60).alpha(), 0) << "inset";
    EXPECT_EQ(pixel(image, 100, image.height() - 5).alpha(), 0) << "bottom padding";
    EXPECT_EQ(pixel(image, 276, 16).alpha(), 0) << "nothing under the camera";
}

TEST_F(DeskViewTest, TheTabsShowTheSelectionAndTheTrayDotOnlyOnTheDeskTabWithItems) {
    open({WidgetID::media});
    const QList<TrayItem> items{test::trayItem(QStringLiteral("a.png"))};
    for (const auto& [tab, trayItems, dot] :
         {std::tuple{DeskTab::desk, items, true}, std::tuple{DeskTab::desk, QList<TrayItem>{}, false},
          std::tuple{DeskTab::tray, items, false}}) {
        model.setTrayItems(trayItems);
        const auto desk = this->desk(tab);
        const QImage image = test::widgetImage(*desk);
        DeskTabButton* selected = desk->header()->tabButton(tab);
        DeskTabButton* other =
            desk->header()->tabButton(tab == DeskTab::desk ? DeskTab::tray : DeskTab::desk);
        const auto capsuleFill = [&](DeskTabButton* button) {
            const QPointF at = button->mapTo(desk.get(), button->capsuleRect().center().toPoint());
            // The capsule's own fill, right of the label's last letter.
            return pixel(image, at.x() + button->capsuleRect().width() / 2 - 4, at.y());
        };
        EXPECT_EQ(capsuleFill(selected), Vesk::Ink::x800) << qPrintable(toRaw(tab));
        EXPECT_EQ(capsuleFill(other), Vesk::Ink::x950) << qPrintable(toRaw(tab));
        DeskTabButton* tray = desk->header()->tabButton(DeskTab::tray);
        const QPointF badge = tray->mapTo(desk.get(), tray->badgeRect().center().toPoint());
        EXPECT_EQ(near(pixel(image, badge.x(), badge.y()), Vesk::Accent::x500, 12), dot)
            << qPrintable(toRaw(tab)) << " with " << trayItems.size() << " items";
    }
}

TEST_F(DeskViewTest, WithNothingPlacedTheRowOffersToChooseWidgets) {
    open({});
    const auto desk = this->desk(DeskTab::desk);
    EXPECT_DOUBLE_EQ(desk->extraWidthPerWidget(), 0);
    WidgetEmptyState* empty = desk->row()->emptyState();
    ASSERT_NE(empty, nullptr);
    QAbstractButton* choose = empty->actionButton();
    ASSERT_NE(choose, nullptr);
    EXPECT_EQ(choose->text(), QStringLiteral("Choose Widgets"));
    const QImage image = test::widgetImage(*desk);
    const QPoint centre = choose->mapTo(desk.get(), QPoint(4, choose->height() / 2));
    EXPECT_TRUE(near(pixel(image, centre.x(), centre.y()), Vesk::Accent::x500, 12)) << "the capsule";

    QSignalSpy states(&model, &NotchViewModel::stateChanged);
    QTest::mouseClick(choose, Qt::LeftButton);
    EXPECT_EQ(settingsPosts(), 1);
    EXPECT_EQ(states.count(), 0);
}

TEST_F(DeskViewTest, HeaderButtonsSendTheirEventsAndTheGearOnlyAsksForSettings) {
    open({WidgetID::media});
    // A desk drawn for the desk tab while the model shows the tray: its selected tab
    // still sends selectTab, which moves the model.
    model.send(NotchEvent::selectTab(DeskTab::tray));
    const auto desk = this->desk(DeskTab::desk);
    QTest::mouseClick(desk->header()->tabButton(DeskTab::desk), Qt::LeftButton);
    EXPECT_EQ(model.state(), NotchState::open(DeskTab::desk));
    QTest::mouseClick(desk->header()->tabButton(DeskTab::tray), Qt::LeftButton);
    EXPECT_EQ(model.state(), NotchState::open(DeskTab::tray));

    QSignalSpy states(&model, &NotchViewModel::stateChanged);
    QTest::mouseClick(desk->header()->settingsButton(), Qt::LeftButton);
    EXPECT_EQ(settingsPosts(), 1);
    EXPECT_EQ(states.count(), 0);
    QTest::mouseClick(desk->header()->closeButton(), Qt::LeftButton);
    EXPECT_EQ(model.state(), NotchState::closed());
}

TEST_F(DeskViewTest, WidgetsLiveWhileTheirIdStaysPlaced) {
    open({WidgetID::media, WidgetID::todos});
    const auto desk = this->desk(DeskTab::desk);
    QPointer<DeskWidget> media = desk->row()->widget(WidgetID::media);
    QPointer<DeskWidget> todos = desk->row()->widget(WidgetID::todos);
    ASSERT_TRUE(media && todos);
    auto* draft = new QLineEdit(todos);
    draft->setText(QStringLiteral("buy milk"));

    model.setClips({});
    model.setTrayStore(nullptr);
    VeskTimer timer;
    timer.id = QUuid::createUuid();
    timer.total = 60;
    model.setTimers({timer});
    settings.setEnabledWidgets({WidgetID::todos, WidgetID::notes});
    model.recomputeLayout();

    EXPECT_EQ(desk->row()->widget(WidgetID::todos), todos.data());
    EXPECT_EQ(draft->text(), QStringLiteral("buy milk"));
    EXPECT_TRUE(media.isNull()) << "a removed id's widget is deleted";
    EXPECT_NE(desk->row()->widget(WidgetID::notes), nullptr);
    EXPECT_EQ(todos->geometry(), desk->row()->slotRect(WidgetID::todos).toAlignedRect());
}

TEST_F(DeskViewTest, AnEmptySlotKeepsItsWidthAndIsFilledOnceAServiceArrives) {
    bool serviceReady = false;
    const auto standIn = builder;
    builder = [&](WidgetID id, const DeskWidgetWiring::Context& context) -> DeskWidget* {
        return id == WidgetID::weather && !serviceReady ? nullptr : standIn(id, context);
    };
    open({WidgetID::media, WidgetID::weather});
    const auto desk = this->desk(DeskTab::desk);
    EXPECT_EQ(desk->row()->widget(WidgetID::weather), nullptr);
    EXPECT_EQ(desk->row()->dividers().size(), 1);
    EXPECT_GT(desk->row()->slotRect(WidgetID::weather).width(), 0);

    serviceReady = true;
    Q_EMIT model.deskServicesChanged();
    ASSERT_NE(desk->row()->widget(WidgetID::weather), nullptr);
    EXPECT_EQ(desk->row()->widget(WidgetID::weather)->geometry(),
              desk->row()->slotRect(WidgetID::weather).toAlignedRect());
}

TEST_F(DeskViewTest, DeletingAShownDeskEndsEachWidgetsAppearanceOnce) {
    open({WidgetID::media, WidgetID::todos});
    auto desk = this->desk(DeskTab::desk);
    EXPECT_EQ(*log, (QStringList{u"appeared media"_qs, u"appeared todos"_qs}));
    log->clear();
    desk.reset();
    EXPECT_EQ(*log, (QStringList{u"disappeared media"_qs, u"disappeared todos"_qs}));
}

} // namespace
} // namespace vesk
