// Texts and copies that must say what is true on this system: the diagnostics report's
// Sync and Bluetooth rows, a multi-line copy, the Shortcuts folder, the trace stamp
// and the keep-awake footnote's command; the notices for services this computer lacks;
// the names of the key permissions and the welcome page's.
#include "Vesk/Controls/NoticeCards.h"
#include "Vesk/Controls/SelectableText.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Desk/Widgets/WeatherWidget.h"
#include "Vesk/Menus/DiagnosticsRows.h"
#include "Vesk/Onboarding/OnboardingView.h"
#include "Vesk/SettingsWindow/Panes/IdleLockPane.h"
#include "Vesk/SettingsWindow/Panes/ShortcutsPane.h"
#include "Vesk/SettingsWindow/Panes/StatusPanes.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Location/GeoClueLocationManager.h"
#include "VeskPlatform/Shortcuts/ShortcutScripts.h"
#include "VeskServices/Shortcuts/ShortcutsService.h"
#include "VeskServices/Weather/WeatherProvider.h"
#include "VeskSync/SyncStatus.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDBusConnection>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QUuid>

namespace vesk {
namespace {

class NoScripts final : public ShortcutScripts {
public:
    bool canList() const override { return true; }
    void list(QObject* context, std::function<void(QStringList)> done) override {
        QMetaObject::invokeMethod(
            context, [done] { done({}); }, Qt::QueuedConnection);
    }
    void run(const QString&, const std::optional<QString>&) override {}
};

// XDG_CONFIG_HOME set for one scope.
struct ConfigHome {
    explicit ConfigHome(const QString& path) : m_old(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path));
    }
    ~ConfigHome() { qputenv("XDG_CONFIG_HOME", m_old); }
    QByteArray m_old;
};

TEST(TextsTrueHereTest, ReportRowsCopiesAndPathsSayWhatIsTrueHere) {
    // The Sync row: where there is no cloud, the cloud layer's reason; a cloud that
    // exists but could not be reached keeps the summary.
    const QString noCloud = QStringLiteral("There is no private cloud database on this system.");
    const SyncStatus unreachable = SyncStatus::unavailable(SyncUnavailability::containerUnavailable);
    EXPECT_EQ(unreachable.summary(noCloud), noCloud);
    EXPECT_EQ(unreachable.summary(std::nullopt), QStringLiteral("Couldn't reach the cloud"));

    // Bluetooth with no daemon: unavailable, not denied; a real refusal stays denied.
    diagnostics::ServiceFacts facts;
    facts.bluetooth = BluetoothStartResult::denied;
    const auto bluetoothRow = [](const QList<DiagnosticsReport::Row>& rows) {
        for (const DiagnosticsReport::Row& row : rows)
            if (row.first == QLatin1String("Bluetooth")) return row.second;
        return QString();
    };
    EXPECT_EQ(bluetoothRow(diagnostics::serviceRows(facts)), QStringLiteral("denied"));
    facts.bluetoothAbsent = true;
    EXPECT_EQ(bluetoothRow(diagnostics::serviceRows(facts)), QStringLiteral("unavailable"));
    const auto denied = [](Permission) { return PermissionState::denied; };
    EXPECT_EQ(bluetoothRow(diagnostics::permissionRows(denied, true)), QStringLiteral("unavailable"));
    EXPECT_EQ(bluetoothRow(diagnostics::permissionRows(denied, false)), QStringLiteral("denied"));

    // A multi-line selection copied from the context menu has line feeds, as Ctrl+C's.
    const QString report = QStringLiteral("Display 1: 1920×1080\nnotch 185×32 (synthetic)\nscale 1");
    SelectableText text(report, QFont(), Qt::white);
    text.setWrapping();
    text.resize(400, 200);
    text.show();
    text.setSelection(0, int(report.size()));
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&text, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), report);
    QGuiApplication::clipboard()->clear();
    QContextMenuEvent menuAsked(QContextMenuEvent::Mouse, QPoint(2, 2), text.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&text, &menuAsked);
    auto* menu = text.findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    menu->actions().first()->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), report);
    menu->close();

    // The Shortcuts pane names the folder the scripts are read from.
    QTemporaryDir elsewhere;
    NoScripts scripts;
    ShortcutsService service(QStringLiteral("TextsTrueHereTest-") +
                                 QUuid::createUuid().toString(QUuid::WithoutBraces),
                             ShortcutsService::Environment{.scripts = &scripts});
    {
        const ConfigHome home(elsewhere.filePath(QStringLiteral("config")));
        ShortcutsPane pane(service, BuildProfile(false), nullptr);
        ASSERT_TRUE(test::processEventsUntil([&] { return !pane.isLoading(); }));
        EXPECT_TRUE(pane.message().contains(elsewhere.filePath(QStringLiteral("config/Vesk/Shortcuts"))))
            << qPrintable(pane.message());
    }
    {
        const ConfigHome home(QDir::homePath() + QStringLiteral("/.cfg"));
        EXPECT_EQ(ShortcutsPane::scriptFolderText(), QStringLiteral("~/.cfg/Vesk/Shortcuts"));
    }

    // The trace stamp keeps the locale's time and drops its zone whole.
    EXPECT_EQ(TraceLog::timeStamp(QTime(9, 9, 0), QLocale(QStringLiteral("es_ES"))),
              QStringLiteral("9:09:00"));
    // A day period written the CLDR way ("B", zh_TW's) reads as the locale's AM/PM mark.
    EXPECT_EQ(TraceLog::timeStamp(QTime(13, 47, 39), QLocale(QStringLiteral("zh_TW"))),
              QStringLiteral("下午1:47:39"));

    // The keep-awake footnote never breaks its command across lines.
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    std::unique_ptr<QWidget> idlePane(makeIdleLockPane(settings, nullptr, [] {}));
    QString footnote;
    for (const TextView* view : idlePane->findChildren<TextView*>())
        if (view->text().contains(QStringLiteral("inhibitor"))) footnote = view->text();
    QString plain = footnote;
    plain.replace(QChar(0x2011), u'-').replace(QChar::Nbsp, u' ');
    const qsizetype start = plain.indexOf(QStringLiteral("systemd-inhibit --list"));
    ASSERT_GE(start, 0) << qPrintable(footnote);
    const qsizetype end = start + qsizetype(strlen("systemd-inhibit --list"));
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, footnote);
    for (qsizetype at = breaks.toNextBoundary(); at >= 0; at = breaks.toNextBoundary())
        EXPECT_FALSE(at > start && at < end)
            << "a line may break after " << qPrintable(footnote.mid(start, at - start));
}

TEST(TextsTrueHereTest, AMissingServiceIsNamedAndNothingIsOfferedToAllowOrTurnOn) {
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    std::unique_ptr<QWidget> pane(makeConnectivityPane(settings, PermissionState::denied, {}, true));
    EXPECT_EQ(pane->findChild<PermissionNeededCard*>(), nullptr) << "no Bluetooth service: nothing to allow";
    auto* notice = pane->findChild<UnavailableCard*>();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->title()->text(), QStringLiteral("Bluetooth isn't available on this computer"));

    // No bus to find a location service on: nothing to turn on.
    LocationProvider locations({.manager = std::make_shared<GeoClueLocationManager>(
                                    *defaults, QDBusConnection(QStringLiteral("TextsTrueHereTest-none"))),
                                .geocoder = nullptr,
                                .clock = nullptr});
    WeatherProvider weather(locations);
    const DeskEnvironment desk;
    WeatherWidget widget(desk, weather);
    const QStringList noService{QStringLiteral("No location service on this computer"),
                                QStringLiteral("Weather needs the desktop's location service, GeoClue.")};
    EXPECT_TRUE(test::processEventsUntil([&] {
        weather.refresh(true);
        return widget.texts() == noService;
    })) << qPrintable(widget.texts().join(u'|'));
    EXPECT_TRUE(widget.findChildren<QAbstractButton*>().isEmpty());
}

// Taking the media keys is named for what it is here (the report's row, the welcome
// window's rows, the menu's entry), and the welcome page offers nothing to grant.
TEST(TextsTrueHereTest, TheKeyPermissionsAndTheWelcomePageSayWhatThisDesktopHas) {
    const auto rows = diagnostics::permissionRows([](Permission) { return PermissionState::granted; });
    EXPECT_EQ(rows.at(1).first, u"Key Interception"_qs);
    const OnboardingView::PageText page = OnboardingView::text(OnboardingModel::Step::permissions);
    EXPECT_EQ(page.title, u"Two things to check"_qs);
    EXPECT_EQ(page.paragraph,
              u"Only two are worth checking now. Everything else VeskNotch checks the first time "
              "you use the feature that needs it."_qs);
}

} // namespace
} // namespace vesk
