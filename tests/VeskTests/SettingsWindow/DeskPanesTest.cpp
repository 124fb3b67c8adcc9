#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Controls/ValueSlider.h"
#include "Vesk/SettingsWindow/Panes/ClipboardPane.h"
#include "Vesk/SettingsWindow/Panes/DeskPane.h"
#include "Vesk/SettingsWindow/Panes/WidgetLayoutPreview.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include "VeskServicesTests/Clipboard/ClipboardTestSupport.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>

namespace vesk {
namespace {

using test::pixel;

class DeskPaneTest : public ::testing::Test {
protected:
    DeskPane& pane() {
        if (!m_pane) {
            m_pane = std::make_unique<DeskPane>(settings, [this] { ++layoutChanges; });
            m_pane->setAttribute(Qt::WA_DontShowOnScreen);
            m_pane->resize(704, 1200);
            m_pane->show();
        }
        return *m_pane;
    }
    QStringList listed() {
        QStringList names;
        for (WidgetRow* row : pane().rows())
            names << toRaw(row->id()) + (row->isOn() ? u"+"_qs : QString());
        return names;
    }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    int layoutChanges = 0;
    std::unique_ptr<DeskPane> m_pane;
};

TEST_F(DeskPaneTest, TheListShowsEveryWidgetOnceAndTheSelectedWidth) {
    EXPECT_EQ(listed(), (QStringList{"media+", "todos+", "shortcuts+", "mirror+", "calendar", "timer",
                                     "notes", "quickApps", "weather", "clipboard", "audioDevice"}));
    EXPECT_FALSE(pane().rows().first()->upArrow()->isEnabled());
    EXPECT_FALSE(pane().rows().last()->downArrow()->isEnabled());
    EXPECT_EQ(pane().widthSlider()->pill(), u"5 cells"_qs);
    EXPECT_EQ(pane().widthFootnote()->text(),
              u"Each cell is 54 pt. A widget won't go below 4 cells — narrower "
              "than that it stops being useful rather than just tight."_qs);

    settings.setWidgetOrder({WidgetID::notes, WidgetID::notes, WidgetID::media});
    EXPECT_EQ(listed().mid(0, 3), (QStringList{"notes", "media+", "calendar"})) << "repeats dropped";
}

TEST_F(DeskPaneTest, MovesAndSwitchesWriteOnceAndSelectionWritesNothing) {
    QTest::mouseClick(pane().rows()[1]->downArrow(), Qt::LeftButton);
    EXPECT_EQ(settings.widgetOrder().size(), 11);
    EXPECT_EQ(listed().mid(0, 3), (QStringList{"media+", "shortcuts+", "todos+"}));
    EXPECT_EQ(layoutChanges, 1);

    pane().rows()[5]->toggle()->click();
    EXPECT_TRUE(settings.enabledWidgets().contains(pane().rows()[5]->id()));
    EXPECT_EQ(layoutChanges, 2);

    const qint64 revision = settings.revision();
    QTest::mouseClick(pane().rows()[6], Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(pane().selected(), pane().rows()[6]->id());
    EXPECT_TRUE(pane().rows()[6]->isSelected());
    EXPECT_EQ(pane().widthSlider()->pill(), QString::number(defaultCells(pane().selected())) + u" cells"_qs);
    pane().preview()->onSelect(WidgetID::mirror);
    EXPECT_EQ(pane().selected(), WidgetID::mirror);
    EXPECT_EQ(settings.revision(), revision);
    EXPECT_EQ(layoutChanges, 2);
}

TEST_F(DeskPaneTest, WidthsRoundHalvesAwayAndTheRowShowsTheStoredCells) {
    DeskPane::writeCells(settings, WidgetID::media, 5.5);
    EXPECT_EQ(settings.widgetCells().value(WidgetID::media), 6);
    DeskPane::writeCells(settings, WidgetID::media, 5.4);
    EXPECT_EQ(settings.widgetCells().value(WidgetID::media), 5);
    EXPECT_EQ(pane().rows().first()->cellsText(), u"5 cells"_qs);
}

TEST_F(DeskPaneTest, ThePreviewScalesTheRowAndNamesWhatDoesNotFit) {
    EXPECT_EQ(WidgetLayoutPreview::availableWidth(nullptr), 1360);
    const DeskLayout layout = WidgetLayoutPreview::layoutFor(settings, 1512 - 80);
    ASSERT_EQ(layout.totalWidth, 900);
    QList<int> tiles;
    for (double width : WidgetLayoutPreview::tileWidths(layout))
        tiles << int(std::lround(width));
    EXPECT_EQ(tiles, (QList<int>{129, 103, 103, 52}));
    EXPECT_EQ(WidgetLayoutPreview::scaleFor(0), 1);

    EXPECT_EQ(WidgetLayoutPreview::overflowText({WidgetID::weather}),
              u"Weather doesn't fit and won't be shown."_qs);
    EXPECT_EQ(WidgetLayoutPreview::overflowText({WidgetID::weather, WidgetID::clipboard}),
              u"Weather, Clipboard don't fit and won't be shown."_qs);

    // No stored layout scales a tile under 30 points, so a made-up one does: at a
    // quarter, 40 points would be 10 and are drawn 30 wide; 300 are 75.
    DeskLayout narrow;
    narrow.placements = {WidgetPlacement{.id = WidgetID::media, .cells = 5, .width = 300, .x = 0},
                         WidgetPlacement{.id = WidgetID::mirror, .cells = 1, .width = 40, .x = 322}};
    narrow.totalWidth = 1720;
    EXPECT_EQ(WidgetLayoutPreview::tileWidths(narrow), (QList<double>{75, 30}));
}

TEST_F(DeskPaneTest, TheStageIsBlackWithTheNotchAtItsTopCentreOrSaysNothingIsOn) {
    const QImage image = test::widgetImage(*pane().preview());
    const QRectF stage = pane().preview()->stageRect();
    EXPECT_EQ(pixel(image, stage.left() + 20, stage.bottom() - 5), QColor(Qt::black));
    EXPECT_EQ(pixel(image, stage.center().x(), stage.top() + 4), Vesk::Ink::x1000);
    const QRectF tile = pane().preview()->tileRects().first().translated(stage.topLeft());
    EXPECT_EQ(pixel(image, tile.left() + 3, tile.top() + 3), Vesk::Ink::x850);
    settings.setEnabledWidgets({});
    EXPECT_TRUE(pane().preview()->layout().placements.isEmpty());
    EXPECT_FALSE(pane().preview()->notice()->isVisibleTo(pane().preview()));
}

class ClipboardPaneTest : public test::ClipboardTest {};

TEST_F(ClipboardPaneTest, PersistenceOffStaysOffOnDiskWhileRecordingIsOff) {
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    auto service = open();
    service->setPersists(true);
    copy(*service, test::FakeClipboard::text("one"));
    copy(*service, test::FakeClipboard::text("two"));
    ASSERT_TRUE(QFile::exists(store()));
    settings.setClipboardEnabled(false);
    settings.setClipboardPersists(true);
    int changes = 0;
    std::unique_ptr<QWidget> pane(makeClipboardPane(settings, *service, [&] { ++changes; }));
    SwitchToggle* keep = nullptr;
    for (SwitchToggle* toggle : pane->findChildren<SwitchToggle*>())
        if (toggle->objectName() == u"clipboardPersists"_qs) keep = toggle;
    ASSERT_NE(keep, nullptr);

    keep->click();
    scheduler.runPending();
    EXPECT_FALSE(settings.clipboardPersists());
    EXPECT_FALSE(QFile::exists(store()));
    EXPECT_EQ(service->clips().size(), 2) << "the clips in memory stay";
    service->remove(service->clips().first());
    scheduler.runPending();
    EXPECT_FALSE(QFile::exists(store())) << "a removal wrote the history again";

    keep->click();
    scheduler.runPending();
    EXPECT_FALSE(QFile::exists(store())) << "switching on writes nothing at once";

    auto* clear = pane->findChild<QAbstractButton*>(u"clearClipboard"_qs);
    ASSERT_NE(clear, nullptr);
    clear->click();
    EXPECT_TRUE(service->clips().isEmpty());
    EXPECT_EQ(changes, 1);
}

} // namespace
} // namespace vesk
