// The quick apps, sound output and weather widgets of the desk.
#include "Vesk/Desk/DeskWidgetWiring.h"
#include "Vesk/Desk/Widgets/AudioDeviceWidget.h"
#include "Vesk/Desk/Widgets/QuickAppsWidget.h"
#include "Vesk/Desk/Widgets/WeatherWidget.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskServices/Weather/WeatherProvider.h"
#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Desk/DeskFixture.h"
#include "support/EventLoop.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QEnterEvent>
#include <QLocale>
#include <QVariantAnimation>

using namespace vesk;
using namespace vesk::test;

namespace {

QuickApp app(const char* name) {
    return QuickApp{
        .id = QUuid::createUuid(), .bundleID = QLatin1String(name), .name = QLatin1String(name), .path = {}};
}

QImage render(QWidget& widget, QSize size) {
    widget.resize(size);
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void hover(QWidget* widget) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(widget, &enter);
}

class DeviceWidgetsTest : public ::testing::Test, public DeskFixture {};

} // namespace

TEST_F(DeviceWidgetsTest, QuickAppsFadeAMissingAppDotARunningOneAndConfigureFromBothButtons) {
    QStringList launched;
    int configured = 0;
    QPixmap blue(46, 46);
    blue.fill(Qt::blue);
    QuickAppsWidget widget(environment,
                           {.icon = [&](const QuickApp& a) -> std::optional<QIcon> {
                                if (a.name == QLatin1String("Gone")) return std::nullopt;
                                return QIcon(blue);
                            },
                            .isMissing = [](const QuickApp& a) { return a.name == QLatin1String("Gone"); },
                            .isRunning = [](const QuickApp& a) { return a.name == QLatin1String("On"); },
                            .onLaunch = [&](const QuickApp& a) { launched << a.name; },
                            .onConfigure = [&] { ++configured; }});
    widget.setApps({app("On"), app("Gone")});
    ASSERT_EQ(widget.tiles().size(), 2);
    QAbstractButton* gone = widget.tiles().at(1);
    EXPECT_FALSE(gone->isEnabled());
    EXPECT_EQ(gone->toolTip(), QStringLiteral("Gone — not installed on this computer"));
    gone->click();
    widget.tiles().at(0)->click();
    EXPECT_EQ(launched, QStringList{QStringLiteral("On")});

    const QImage image = render(widget, QSize(140, 140));
    const QRect on = widget.tiles().at(0)->geometry().translated(
        widget.tiles().at(0)->mapTo(&widget, QPoint()) - widget.tiles().at(0)->pos());
    EXPECT_EQ(image.pixelColor(on.center().x(), on.top() + 23), QColor(Qt::blue)) << "the icon";
    EXPECT_GT(image.pixelColor(on.center().x(), on.top() + 46 + 3 + 2).alpha(), 200) << "the running dot";
    const QRect off = widget.tiles().at(1)->geometry().translated(
        widget.tiles().at(1)->mapTo(&widget, QPoint()) - widget.tiles().at(1)->pos());
    EXPECT_LT(image.pixelColor(off.left() + 6, off.top() + 23).alpha(), 120) << "the missing tile is faded";
    EXPECT_EQ(image.pixelColor(off.center().x(), off.top() + 46 + 3 + 2).alpha(), 0) << "no dot";

    ASSERT_TRUE(widget.configureButton());
    widget.configureButton()->click();
    widget.setApps({});
    EXPECT_FALSE(widget.configureButton());
    auto* empty = qobject_cast<WidgetEmptyState*>(widget.frame()->content());
    ASSERT_TRUE(empty && empty->actionButton());
    empty->actionButton()->click();
    EXPECT_EQ(configured, 2);
}

TEST_F(DeviceWidgetsTest, AQuickAppGrowsAndCastsASoftShadowOverTheHoverMotionAndAtOnceUnderReduceMotion) {
    bool reduce = false;
    environment.reducesMotion = [&] { return reduce; };
    QPixmap red(46, 46);
    red.fill(Qt::red);
    QuickAppsWidget widget(environment,
                           {.icon = [&](const QuickApp&) -> std::optional<QIcon> { return QIcon(red); },
                            .isMissing = {},
                            .isRunning = {},
                            .onLaunch = {},
                            .onConfigure = {}});
    widget.setApps({app("A"), app("B")});
    render(widget, QSize(140, 140));
    QAbstractButton* tile = widget.tiles().first();
    auto* motion = tile->findChild<MotionAnimator*>(QStringLiteral("hover"));
    ASSERT_NE(motion, nullptr);
    const QPoint origin = tile->mapTo(&widget, QPoint());
    const int x = origin.x() + tile->width() / 2;
    const int y = origin.y() + 23; // the icon's centre
    // Grown by 1.1 the icon reaches 25.3 from its centre, else 23.
    const auto grown = [&](const QImage& image) { return image.pixelColor(x + 24, y) == QColor(Qt::red); };
    const auto shade = [&](const QImage& image, int below) {
        return image.pixelColor(x - 15, y + below).alpha();
    };

    hover(tile);
    ASSERT_TRUE(motion->isRunning());
    motion->animation()->pause();
    motion->animation()->setCurrentTime(0);
    QImage image = widgetImage(widget);
    EXPECT_FALSE(grown(image)) << "nothing jumps";
    EXPECT_EQ(shade(image, 32), 0);

    motion->animation()->setCurrentTime(int(std::ceil(Vesk::Motion::hover.settlingTime() * 1000)));
    image = widgetImage(widget);
    EXPECT_TRUE(grown(image));
    // Black, at most 0.45, fading out smoothly below the tile's own bottom (y + 30).
    EXPECT_EQ(image.pixelColor(x - 15, y + 29).red(), 0);
    EXPECT_LE(shade(image, 26), int(255 * 0.45) + 2);
    EXPECT_GT(shade(image, 26), shade(image, 29));
    EXPECT_GT(shade(image, 29), shade(image, 32));
    EXPECT_GT(shade(image, 32), 0) << "the shadow reaches past the tile, soft";

    reduce = true;
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(tile, &leave);
    EXPECT_FALSE(motion->isRunning());
    image = widgetImage(widget);
    EXPECT_FALSE(grown(image)) << "under reduced motion it shrinks at once";
    EXPECT_EQ(shade(image, 32), 0);
}

TEST_F(DeviceWidgetsTest, WiredQuickAppsWithoutAServiceMissNothingAndConfigurePostsBothNotifications) {
    QStringList posted;
    QObject observer;
    for (const QString& name : {notchNotifications::veskOpenSettings, notchNotifications::veskOpenQuickApps})
        NotificationCenter::defaultCenter().observe(name, &observer,
                                                    [&posted, name](const auto&) { posted << name; });
    model.setQuickApps({app("A"), app("B")});
    QWidget parent;
    auto* widget = qobject_cast<QuickAppsWidget*>(DeskWidgetWiring::build(
        WidgetID::quickApps, {.model = model, .environment = environment, .parent = &parent}));
    ASSERT_TRUE(widget);
    ASSERT_EQ(widget->tiles().size(), 2);
    EXPECT_TRUE(widget->tiles().at(0)->isEnabled());
    widget->configureButton()->click();
    ASSERT_TRUE(processEventsUntil([&] { return posted.size() == 2; })) << "the notifications never came";
    EXPECT_EQ(posted,
              (QStringList{notchNotifications::veskOpenSettings, notchNotifications::veskOpenQuickApps}));
}

TEST_F(DeviceWidgetsTest, SoundOutputChecksTheDefaultLightsOnlyOtherRowsAndReReadsAfterAChoice) {
    using T = AudioState::Transport;
    const QList<AudioOutputDevice> devices{{1, QStringLiteral("Speakers"), T::builtIn, true},
                                           {2, QStringLiteral("Buds"), T::bluetooth, false},
                                           {3, QStringLiteral("Monitor"), T::displayPort, false}};
    QList<quint32> chosen;
    AudioDeviceWidget widget(environment, [&](const AudioOutputDevice& d) { chosen << d.id; });
    widget.setDevices(devices);
    ASSERT_EQ(widget.rows().size(), 3);
    EXPECT_EQ(widget.rows().at(0)->toolTip(), QStringLiteral("Speakers — current output"));
    EXPECT_EQ(widget.rows().at(1)->toolTip(), QStringLiteral("Switch to Buds"));
    widget.rows().at(2)->click();
    EXPECT_EQ(chosen, QList<quint32>{3});
    EXPECT_EQ(devices.at(2).symbol(), QStringLiteral("display"));

    for (QAbstractButton* row : widget.rows())
        hover(row);
    const QImage image = render(widget, QSize(216, 140));
    const auto corner = [&](int i) {
        const QPoint at = widget.rows().at(i)->mapTo(&widget, QPoint(3, 3));
        return image.pixelColor(at);
    };
    EXPECT_EQ(corner(0).alpha(), 0) << "the default row keeps a clear ground";
    EXPECT_EQ(corner(1), Vesk::Ink::x850);

    int reads = 0;
    NotchViewModel::Environment counting;
    counting.outputDevices = [&] {
        ++reads;
        return devices;
    };
    NotchViewModel reading(deskHousing(), settings, counting);
    reading.refreshAudioDevices();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(reading.audioDevices(), devices);

    widget.setDevices({});
    EXPECT_TRUE(widget.rows().isEmpty());
    EXPECT_TRUE(qobject_cast<WidgetEmptyState*>(widget.frame()->content()));
}

namespace {

class StillLocation final : public LocationManager {
public:
    LocationAuthorization authorizationStatus() const override {
        return LocationAuthorization::authorizedWhenInUse;
    }
    void requestWhenInUseAuthorization() override {}
    void requestLocation() override { Q_EMIT locationsUpdated({LocationFix{1, 2, Date::now()}}); }
};

class NoPlaces final : public ReverseGeocoder {
public:
    void reverseGeocode(const LocationFix&, QObject*,
                        std::function<void(std::optional<QList<PlaceDescription>>)> done) override {
        done(QList<PlaceDescription>{{QStringLiteral("Springfield"), std::nullopt}});
    }
};

class CannedWeather final : public WeatherService {
public:
    Result next;
    void weather(double, double, QObject*, std::function<void(Result)> done) override { done(next); }
    void attribution(QObject*, std::function<void(std::optional<WeatherAttribution>)>) override {}
};

} // namespace

TEST_F(DeviceWidgetsTest, TheFrameCoversTheWidgetThroughResizesAndRebuilds) {
    AudioDeviceWidget widget(environment, {});
    render(widget, QSize(216, 140));
    EXPECT_EQ(widget.frame()->geometry(), QRect(0, 0, 216, 140));
    widget.resize(300, 150);
    EXPECT_EQ(widget.frame()->geometry(), QRect(0, 0, 300, 150));
    EXPECT_EQ(widget.frame()->content()->geometry(), QRect(0, 0, 300, 150))
        << "the empty state grows with it";

    widget.setDevices({{1, QStringLiteral("Speakers"), AudioState::Transport::builtIn, true}});
    EXPECT_TRUE(widget.frame()->isVisible());
    EXPECT_EQ(widget.frame()->geometry(), QRect(0, 0, 300, 150))
        << "a rebuilt frame starts at the widget's size";
    widget.resize(200, 120);
    EXPECT_EQ(widget.frame()->geometry(), QRect(0, 0, 200, 120)) << "and keeps to it";
}

TEST_F(DeviceWidgetsTest, WeatherShowsTheLocaleUnitAndEveryState) {
    auto weather = std::make_shared<CannedWeather>();
    LocationProvider locations({.manager = std::make_shared<StillLocation>(),
                                .geocoder = std::make_shared<NoPlaces>(),
                                .clock = nullptr});
    WeatherProvider provider(locations, {.service = weather, .clock = nullptr});
    WeatherWidget widget(environment, provider);
    EXPECT_EQ(widget.texts().first(), QStringLiteral("Weather where you are"));

    using M = TemperatureMeasurement;
    WeatherReport report{
        .current = {.temperature = M{20, TemperatureUnit::celsius},
                    .apparentTemperature = M{19, TemperatureUnit::celsius},
                    .condition = QStringLiteral("Clear"),
                    .symbolName = QStringLiteral("sun.max"),
                    .isDaylight = true},
        .daily = {DayWeather{M{25, TemperatureUnit::celsius}, M{10, TemperatureUnit::celsius}}}};
    weather->next = report;
    provider.refresh(true);
    provider.refresh(true); // the place is named after the first reading
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    EXPECT_EQ(widget.texts(),
              (QStringList{QStringLiteral("68°F"), QStringLiteral("Clear"),
                           QStringLiteral("H 77°F  ·  L 50°F"), QStringLiteral("Springfield")}));
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
    EXPECT_EQ(widget.texts().at(2), QStringLiteral("H 25°C  ·  L 10°C"));
    const QImage image = render(widget, QSize(140, 140));
    EXPECT_GT(image.pixelColor(70, 20).alpha(), 0) << "the condition symbol at the top";

    report.daily.clear();
    weather->next = report;
    provider.refresh(true);
    EXPECT_EQ(widget.texts().size(), 3) << "no H/L line without both values";

    weather->next = WeatherError{
        .domain = QStringLiteral("http"), .code = 500, .localizedDescription = {}, .fullDescription = {}};
    provider.refresh(true);
    EXPECT_EQ(widget.texts(),
              (QStringList{QStringLiteral("Couldn't load the forecast"),
                           QStringLiteral("Weather isn't available right now. It'll retry on its own.")}));
    provider.stop();
    QLocale::setDefault(QLocale::c());
}
