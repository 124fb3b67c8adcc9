#include "Vesk/Controls/ActivityHeaderCard.h"
#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/NoticeCards.h"
#include "Vesk/Controls/Pickers.h"
#include "Vesk/Controls/PreviewSamples.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/SymbolView.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Controls/ValueSlider.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

#include <limits>

namespace vesk {
namespace {

class SettingsWindowControlsTest : public ::testing::Test {
protected:
    // Lays a control out in a window the width of a pane and shows it offscreen.
    template <typename W> W* place(W* control, int width = 500) {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(control);
        layout->addStretch(1);
        window.resize(width, 400);
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.show();
        layout->activate();
        return control;
    }
    SettingBinding key(const char* name) { return SettingBinding::forKey(settings, QLatin1String(name)); }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    QWidget window;
};

TEST_F(SettingsWindowControlsTest, PillShowsTheValueTruncatedTowardZero) {
    const double huge = 1e300;
    const struct {
        double value;
        const char* suffix;
        const char* shown;
    } cases[] = {
        {12.9, " px", "12 px"}, {-0.6, "", "0"},      {-20, " px", "-20 px"},
        {7, "", "7"},           {0.5, " s", "0 s"},   {1.5, " s", "1 s"},
        {huge, " s", "10 s"},   {-huge, " s", "0 s"}, {std::numeric_limits<double>::quiet_NaN(), " s", "0 s"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValueSlider::pillText(c.value, 0, 10, QLatin1String(c.suffix)), QLatin1String(c.shown))
            << c.value;
}

TEST_F(SettingsWindowControlsTest, ADragWritesFractionsAndAWriteElsewhereIsShownWithoutOne) {
    auto* slider = place(new ValueSlider(QStringLiteral("Duration"), settings, key("soundDuration"), 0.5, 10,
                                         QStringLiteral(" s")));
    SliderTrack* track = slider->track();
    EXPECT_EQ(track->objectName(), QStringLiteral("soundDuration"));
    EXPECT_EQ(slider->pill(), QStringLiteral("1 s"));

    // Pressing at a third of the track writes a value with its fraction.
    const qint64 before = settings.revision();
    const QRectF knob = track->knobRect();
    const double third = knob.width() / 2 + (track->width() - knob.width()) / 3.0;
    QTest::mousePress(track, Qt::LeftButton, {}, QPoint(int(third), track->height() / 2));
    EXPECT_EQ(settings.revision(), before + 1);
    EXPECT_NE(settings.soundDuration(), std::trunc(settings.soundDuration()));
    EXPECT_NEAR(settings.soundDuration(), 0.5 + 9.5 / 3, 0.1);

    // A write from elsewhere moves the knob and the pill and writes nothing back.
    settings.setSoundDuration(7.25);
    EXPECT_EQ(settings.revision(), before + 2);
    EXPECT_EQ(slider->pill(), QStringLiteral("7 s"));
    EXPECT_EQ(track->position(), 711);

    // A hand-edited value beyond every range: the knob at the end, nothing written.
    defaults->setDouble(QStringLiteral("soundDuration"), 1e300);
    settings.setSoundShowPercentage(true);
    EXPECT_EQ(track->position(), SliderTrack::steps);
    EXPECT_EQ(slider->pill(), QStringLiteral("10 s"));
    EXPECT_EQ(defaults->doubleValue(QStringLiteral("soundDuration")), 1e300);
}

TEST_F(SettingsWindowControlsTest, SliderKeysStepThroughTheRange) {
    auto* slider = place(new ValueSlider(QStringLiteral("Keep at most"), settings, key("trayMaxItems"), 5,
                                         200, QStringLiteral(" files")));
    SliderTrack* track = slider->track();
    track->setFocus();
    const struct {
        Qt::Key key;
        double stored;
    } presses[] = {{Qt::Key_Home, 5},    {Qt::Key_Right, 6.95}, {Qt::Key_PageUp, 26.45},
                   {Qt::Key_Left, 24.5}, {Qt::Key_End, 200},    {Qt::Key_Up, 200}};
    for (const auto& press : presses) {
        QTest::keyClick(track, press.key);
        EXPECT_NEAR(settings.trayMaxItems(), press.stored, 1e-9) << press.key;
    }
    EXPECT_EQ(slider->pill(), QStringLiteral("200 files"));
}

TEST_F(SettingsWindowControlsTest, SamplesDrawTheirStyles) {
    const auto sample = [](const QString& style, auto paint) {
        QImage image(90, 30, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        paint(painter, QRectF(0, 0, 90, 30), style);
        return image;
    };
    // The level runs 33 of the track's 52 points from its leading edge.
    const int left = 45 - 26, middle = 15;
    for (const char* style : {"white", "accent", "glow"})
        EXPECT_TRUE(test::near(sample(QLatin1String(style), paintBarPreview).pixelColor(left + 16, middle),
                               Vesk::Accent::x500))
            << style;
    const QImage decibel = sample(QStringLiteral("decibel"), paintBarPreview);
    EXPECT_LT(decibel.pixelColor(left + 2, middle).red(), decibel.pixelColor(left + 30, middle).red())
        << "a gradient from the darker accent";
    // Only the glow shows around the level.
    EXPECT_GT(sample(QStringLiteral("glow"), paintBarPreview).pixelColor(left + 16, middle - 4).red(), 20);
    EXPECT_EQ(sample(QStringLiteral("white"), paintBarPreview).pixelColor(left + 16, middle - 4),
              QColor(Qt::black));
    EXPECT_TRUE(
        test::near(sample(QStringLiteral("colored"), paintMediaBarPreview).pixelColor(left + 16, middle),
                   QColor(0x8A, 0x7F, 0x70)));
    EXPECT_TRUE(
        test::near(sample(QStringLiteral("monochrome"), paintMediaBarPreview).pixelColor(left + 45, middle),
                   Vesk::Ink::x700))
        << "the track beyond the level";
    EXPECT_EQ(sample(QStringLiteral("neon"), paintBarPreview).pixelColor(45, 15), QColor(Qt::black));
}

TEST_F(SettingsWindowControlsTest, HeaderCardDimsOnlyItsSliderWhileTheActivityIsOff) {
    auto* card = place(new ActivityHeaderCard(QStringLiteral("Sound"), settings, key("soundEnabled"),
                                              key("soundDuration"), 0.5, 10));
    EXPECT_EQ(dimming::opacity(card->slider()->track()), 1.0);
    const qint64 before = settings.revision();
    card->toggle()->click();
    EXPECT_FALSE(settings.soundEnabled());
    EXPECT_EQ(settings.revision(), before + 1) << "the switch writes only its setting";
    EXPECT_DOUBLE_EQ(dimming::opacity(card->slider()->track()), 0.45);
    EXPECT_FALSE(card->slider()->track()->isEnabled());
    EXPECT_EQ(dimming::opacity(card->toggle()), 1.0);
    EXPECT_TRUE(card->toggle()->isEnabled());
    EXPECT_EQ(card->slider()->pill(), QStringLiteral("1 s")) << "the duration still shows";

    // Nested dims multiply.
    dimming::setDimmed(card, true);
    EXPECT_DOUBLE_EQ(dimming::opacity(card->slider()->track()), 0.45 * 0.45);
    dimming::setDimmed(card, false);
    settings.setSoundEnabled(true);
    EXPECT_TRUE(card->slider()->track()->isEnabled());
    EXPECT_EQ(dimming::opacity(card->slider()->track()), 1.0);
}

TEST_F(SettingsWindowControlsTest, PreviewPickerSelectsTheStoredTileOnlyAndEveryPressWrites) {
    settings.setSoundBarStyle(BarStyle::glow); // not offered by this picker
    auto* picker = place(new PreviewPicker(QStringLiteral("Bar"), settings, key("soundBarStyle"),
                                           {{QStringLiteral("white"), QStringLiteral("White")},
                                            {QStringLiteral("accent"), QStringLiteral("Accent")},
                                            {QStringLiteral("decibel"), QStringLiteral("Decibel")}},
                                           paintBarPreview));
    EXPECT_EQ(picker->selectedIndex(), -1);
    const qint64 before = settings.revision();
    picker->tiles().at(2)->click();
    EXPECT_EQ(settings.soundBarStyle(), BarStyle::decibel);
    EXPECT_EQ(picker->selectedIndex(), 2);
    picker->tiles().at(2)->click();
    EXPECT_EQ(settings.revision(), before + 2) << "the selected tile writes again";
    EXPECT_EQ(picker->selectedIndex(), 2);
    // Three tiles share the row less its two gaps.
    EXPECT_EQ(picker->tiles().at(0)->width(), (500 - 24 - 16) / 3);
    settings.setSoundBarStyle(BarStyle::white);
    EXPECT_EQ(picker->selectedIndex(), 0);
}

TEST_F(SettingsWindowControlsTest, CopyMovePickersMapTheirBooleansEitherWay) {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    auto* onDrop = new SettingsPicker(
        QStringLiteral("When you drop a file on the notch"), settings,
        trayDropModeBinding(settings, QStringLiteral("trayMoveOnDrop"), TrayDropMode::move));
    auto* offShelf = new SettingsPicker(
        QStringLiteral("When you drag an item off the shelf"), settings,
        trayDropModeBinding(settings, QStringLiteral("trayCopyByDefault"), TrayDropMode::copy));
    layout->addWidget(onDrop);
    layout->addWidget(offShelf);
    place(column);
    EXPECT_TRUE(onDrop->tile(TrayDropMode::copy)->isChecked());
    EXPECT_TRUE(offShelf->tile(TrayDropMode::copy)->isChecked());

    onDrop->tile(TrayDropMode::move)->click();
    offShelf->tile(TrayDropMode::move)->click();
    EXPECT_TRUE(settings.trayMoveOnDrop());
    EXPECT_FALSE(settings.trayCopyByDefault());
    EXPECT_TRUE(onDrop->tile(TrayDropMode::move)->isChecked());
    EXPECT_FALSE(onDrop->tile(TrayDropMode::copy)->isChecked());
    EXPECT_FALSE(fromRaw<TrayDropMode>(u"Copy"));
    EXPECT_FALSE(fromRaw<TrayDropMode>(u""));
}

TEST_F(SettingsWindowControlsTest, SwitchFlipsWithSpaceAndNamesItsKey) {
    auto* toggle = place(new SwitchToggle(settings, key("batteryWarnLow")));
    EXPECT_EQ(toggle->objectName(), QStringLiteral("batteryWarnLow"));
    EXPECT_TRUE(toggle->isChecked());
    toggle->setFocus();
    QTest::keyClick(toggle, Qt::Key_Space);
    EXPECT_FALSE(settings.batteryWarnLow());
    const QImage image = test::widgetImage(*toggle);
    EXPECT_TRUE(test::near(test::pixel(image, 30, 4), Vesk::Ink::x600)) << "the off track";
    settings.setBatteryWarnLow(true);
    EXPECT_TRUE(test::near(test::pixel(test::widgetImage(*toggle), 8, 4), Vesk::Accent::x500))
        << "the on track";
}

TEST_F(SettingsWindowControlsTest, NoticesShowTheirTextsAndAllowCallsEachTime) {
    int requests = 0;
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    auto* permission = new PermissionNeededCard(Permission::bluetooth, [&] { ++requests; });
    auto* unavailable = new UnavailableCard(
        QStringLiteral("Brightness isn't readable"),
        QStringLiteral("One sentence. Another sentence that goes on. And a third, so that it wraps "
                       "onto a few lines even in a wide pane, and every line shows."));
    layout->addWidget(permission);
    layout->addWidget(unavailable);
    place(column, 360);
    EXPECT_EQ(permission->title()->text(), QStringLiteral("Bluetooth access needed"));
    EXPECT_EQ(permission->detail()->text(),
              QStringLiteral("No connect or battery pills. Everything else is unaffected."));
    EXPECT_EQ(permissionNoticeSymbol(Permission::bluetooth), QStringLiteral("airpods.gen3"));
    permission->allowButton()->click();
    permission->allowButton()->click();
    EXPECT_EQ(requests, 2);
    EXPECT_GE(unavailable->detail()->height(), 3 * QFontMetrics(Vesk::Type_::settingsFootnote()).height() - 2)
        << "the detail wraps to its full height";
    EXPECT_EQ(unavailable->width(), permission->width());

    // The permission notice's outline is amber, the other's neutral.
    const QImage amber = test::widgetImage(*permission);
    const QColor edge = test::pixel(amber, amber.width() / 2, 0);
    EXPECT_GT(edge.red(), edge.blue() + 10);
    const QImage neutral = test::widgetImage(*unavailable);
    EXPECT_TRUE(test::near(test::pixel(neutral, neutral.width() / 2, 0), Vesk::Ink::x700, 12));
}

TEST_F(SettingsWindowControlsTest, SymbolViewIsTextSizedAndFadesOnlyInADimmedParent) {
    QWidget holder;
    auto* symbol = new SymbolView(QStringLiteral("record.circle"), 20, Vesk::Stone::x100, &holder);
    EXPECT_EQ(symbol->size(), QSize(24, 24)) << "the side beside 20 pt text";
    const auto centre = [&] {
        const QImage image = test::widgetImage(holder);
        return test::pixel(image, 12, 12).alpha();
    };
    holder.resize(24, 24);
    EXPECT_GT(centre(), 200) << "the centre dot at full opacity";
    dimming::setDimmed(&holder, true);
    EXPECT_NEAR(centre(), 255 * dimming::dimmedOpacity, 20);
}

TEST_F(SettingsWindowControlsTest, RenderedAccentButtonIsDimmedWhileDisabledButOnlyOnce) {
    QWidget holder;
    auto* button = new SmallAccentButton(QStringLiteral("Add"), &holder);
    button->resize(button->sizeHint());
    holder.resize(button->size());
    // The capsule's fill left of the text.
    const auto fill = [&] { return test::pixel(test::widgetImage(holder), 5, button->height() / 2); };
    EXPECT_TRUE(test::near(fill(), Vesk::Accent::x500));
    EXPECT_EQ(fill().alpha(), 255);
    button->setEnabled(false);
    EXPECT_NEAR(fill().alpha(), 255 * dimming::dimmedOpacity, 3);
    button->setEnabled(true);
    dimming::setDimmed(&holder, true);
    EXPECT_NEAR(fill().alpha(), 255 * dimming::dimmedOpacity, 3) << "dimmed by its card, not twice";
}

TEST_F(SettingsWindowControlsTest, RenderedCardFillAndRowHairline) {
    auto* card = new SettingsCard;
    auto* first = new SettingsRow(QStringLiteral("Show percentage"),
                                  new SwitchToggle(settings, key("soundShowPercentage")));
    auto* second =
        new SettingsRow(QStringLiteral("Hide label"), new SwitchToggle(settings, key("soundHideLabel")),
                        QStringLiteral("A footnote under the row."));
    card->addRow(first);
    card->addRow(second);
    place(card);
    const QImage image = test::widgetImage(window);
    const QPoint inFirst = first->mapTo(&window, QPoint(40, 4));
    EXPECT_TRUE(test::near(test::pixel(image, inFirst.x(), inFirst.y()), Vesk::Ink::x850))
        << "the card's fill";
    const QPoint rule = first->mapTo(&window, QPoint(first->width() / 2, first->height() - 1));
    EXPECT_TRUE(test::near(test::pixel(image, rule.x(), rule.y()), Vesk::Ink::x700)) << "the hairline";
    EXPECT_EQ(second->y(), first->y() + first->height()) << "rows touch";
    ASSERT_NE(second->footnote(), nullptr);
    EXPECT_EQ(second->footnote()->x(), second->label()->x());
    const int lineBottom =
        std::max(second->label()->geometry().bottom(), second->control()->geometry().bottom());
    EXPECT_EQ(second->footnote()->y(), lineBottom + 1 + 2) << "two points under the label line";
}

} // namespace
} // namespace vesk
