// notch-snapshot: renders the notch of one display in each of its states to PNG files,
// on Qt's offscreen platform, so every state can be looked at without a desktop.
//
//   notch-snapshot <folder> [--housing] [--scale <n>] [--transparent] [--only <text>]
//
// --housing draws a 180 x 32 camera housing instead of the drawn 184 x 8 strip that
// Linux screens get; --scale renders at that many pixels a point (default 2);
// --transparent leaves the desktop behind the notch transparent; --only keeps the states
// whose names contain the text.
#include "Samples.h"
#include "WeatherSamples.h"

#include "Vesk/Desk/DeskTrayTab.h"
#include "Vesk/Desk/DeskView.h"
#include "Vesk/Notch/BackdropRenderer.h"
#include "Vesk/Notch/NotchRootView.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Notch/PipelineBanner.h"
#include "Vesk/Tray/TrayChip.h"
#include "Vesk/Tray/TrayWidget.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskKit/Settings/SettingsTable.h"
#include "VeskServices/Audio/AudioState.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QUrl>

#include <cstdio>
#include <functional>

using namespace vesk;

namespace {

struct Scene {
    QString name;
    std::function<void(NotchViewModel&, SettingsStore&)> setup;
    std::optional<PipelineRunState> banner;
    // Runs once the scene stands (a hovered chip, say).
    std::function<void(NotchRootView&)> after = {};
};

NotchGeometry geometry(bool housing) {
    const QRectF screen(0, 0, 1512, 982);
    const QSizeF notch = housing ? QSizeF(180, 32) : QSizeF(184, 8);
    return NotchGeometry{.displayID = 1,
                         .screenFrame = screen,
                         .hasHardwareNotch = housing,
                         .notchSize = notch,
                         .notchOrigin = QPointF(screen.center().x() - notch.width() / 2, 0),
                         .menuBarHeight = 32,
                         .backingScale = 2,
                         .maximumFramesPerSecond = 60};
}

QList<QUrl> sampleFiles(int count) {
    QList<QUrl> files;
    for (int i = 1; i <= count; ++i)
        files.append(QUrl::fromLocalFile(QStringLiteral("/home/user/Pictures/photo-%1.jpg").arg(i)));
    return files;
}

QList<Scene> scenes() {
    QList<Scene> list;
    const auto add = [&list](QString name, std::function<void(NotchViewModel&, SettingsStore&)> setup) {
        list.append({std::move(name), std::move(setup), std::nullopt});
    };
    add(QStringLiteral("closed"), [](NotchViewModel&, SettingsStore&) {});
    add(QStringLiteral("closed-hovered"),
        [](NotchViewModel& m, SettingsStore&) { m.send(NotchEvent::hoverBegan()); });
    add(QStringLiteral("closed-no-outline"),
        [](NotchViewModel&, SettingsStore& s) { s.setContrastOutline(false); });
    add(QStringLiteral("hidden"),
        [](NotchViewModel& m, SettingsStore&) { m.send(NotchEvent::toggleHidden()); });

    for (ActivityKind kind : allCases<ActivityKind>()) {
        add(QStringLiteral("activity-") + toRaw(kind), [kind](NotchViewModel& m, SettingsStore&) {
            m.send(NotchEvent::activityArrived(snapshot::samplePayload(kind)));
        });
        add(QStringLiteral("expanded-") + toRaw(kind), [kind](NotchViewModel& m, SettingsStore&) {
            m.send(NotchEvent::activityArrived(snapshot::samplePayload(kind)));
            m.send(NotchEvent::hoverBegan());
        });
    }

    const auto ambient = [](std::optional<QByteArray> cover, bool hovered) {
        return [cover, hovered](NotchViewModel& m, SettingsStore& s) {
            // Hovering an ambient pill shows its title line only while hover does not
            // expand activities.
            s.setQuickPeekEnabled(false);
            s.setInteractiveActivities(false);
            m.send(NotchEvent::activityArrived(snapshot::ambientNowPlaying(cover)));
            if (hovered) m.send(NotchEvent::hoverBegan());
        };
    };
    add(QStringLiteral("ambient"), ambient(snapshot::sampleCover(600), false));
    add(QStringLiteral("ambient-hovered"), ambient(snapshot::sampleCover(600), true));
    add(QStringLiteral("ambient-no-cover"), ambient(std::nullopt, false));
    add(QStringLiteral("ambient-corrupt-cover"), ambient(QByteArray(2048, '\x07'), false));

    add(QStringLiteral("open-desk"), [](NotchViewModel& m, SettingsStore&) { m.send(NotchEvent::click()); });
    add(QStringLiteral("open-desk-empty"), [](NotchViewModel& m, SettingsStore& s) {
        s.setEnabledWidgets({});
        m.recomputeLayout();
        m.send(NotchEvent::click());
    });
    add(QStringLiteral("open-desk-badge"), [](NotchViewModel& m, SettingsStore&) {
        m.setTrayItems(snapshot::sampleTrayItems());
        m.send(NotchEvent::click());
    });
    const auto tray = [](QList<TrayItem> items) {
        return [items](NotchViewModel& m, SettingsStore&) {
            m.setTrayItems(items);
            m.send(NotchEvent::click());
            m.send(NotchEvent::selectTab(DeskTab::tray));
        };
    };
    const QList<TrayItem> five = snapshot::sampleTrayItems(5);
    add(QStringLiteral("open-tray"), tray(snapshot::sampleTrayItems(3)));
    add(QStringLiteral("open-tray-empty"), tray({}));
    add(QStringLiteral("open-tray-one"), tray(five.mid(0, 1)));
    add(QStringLiteral("open-tray-five"), tray(five));
    list.append(
        {QStringLiteral("open-tray-hover"), tray(five.mid(0, 2)), std::nullopt, [](NotchRootView& root) {
             if (auto* chip = root.findChild<TrayChip*>()) chip->setHovering(true);
         }});
    QList<TrayItem> pasted = five.mid(0, 2);
    pasted[0].fromOtherDevice = true;
    add(QStringLiteral("open-tray-badge"), tray(pasted));

    // The desk with only these widgets, after `fill` set their data.
    const auto desk = [](WidgetSet widgets, std::function<void(NotchViewModel&)> fill) {
        return [widgets, fill](NotchViewModel& m, SettingsStore& s) {
            s.setEnabledWidgets(widgets);
            m.recomputeLayout();
            fill(m);
            m.send(NotchEvent::click());
        };
    };
    add(QStringLiteral("desk-media-playing"), desk({WidgetID::media}, [](NotchViewModel& m) {
            m.setNowPlaying(snapshot::sampleNowPlaying(true, true));
        }));
    add(QStringLiteral("desk-media-paused-no-artwork"), desk({WidgetID::media}, [](NotchViewModel& m) {
            m.setNowPlaying(snapshot::sampleNowPlaying(false, false));
        }));
    add(QStringLiteral("desk-media-prompt"), desk({WidgetID::media}, [](NotchViewModel&) {}));
    add(QStringLiteral("desk-timer-picker"), desk({WidgetID::timer}, [](NotchViewModel&) {}));
    add(QStringLiteral("desk-timer-rows"),
        desk({WidgetID::timer}, [](NotchViewModel& m) { m.setTimers(snapshot::sampleTimers()); }));
    add(QStringLiteral("desk-todos"),
        desk({WidgetID::todos}, [](NotchViewModel& m) { m.setRepository(snapshot::sampleTodos()); }));
    add(QStringLiteral("desk-todos-unsaved"),
        desk({WidgetID::todos}, [](NotchViewModel& m) { m.setRepository(snapshot::sampleTodosUnsaved()); }));
    add(QStringLiteral("desk-todos-empty"),
        desk({WidgetID::todos}, [](NotchViewModel& m) { m.setRepository(snapshot::sampleNote({})); }));
    add(QStringLiteral("desk-notes"), desk({WidgetID::notes}, [](NotchViewModel& m) {
            m.setRepository(snapshot::sampleNote(QStringLiteral(
                "Call the plumber before Friday\nBuy oat milk, coffee, lemons\nIdeas: a notch that "
                "shows the next train")));
        }));
    add(QStringLiteral("desk-notes-empty"),
        desk({WidgetID::notes}, [](NotchViewModel& m) { m.setRepository(snapshot::sampleNote({})); }));
    add(QStringLiteral("desk-notes-conflict"), desk({WidgetID::notes}, [](NotchViewModel& m) {
            m.setRepository(snapshot::sampleNote(QStringLiteral(
                "Groceries: oat milk, coffee\n\n--- conflicted copy ---\n\nGroceries: oat milk, tea")));
        }));
    add(QStringLiteral("desk-clipboard"), desk({WidgetID::clipboard}, [](NotchViewModel& m) {
            const auto clip = [](Clip::Kind kind, const QString& text) {
                Clip made;
                made.id = QUuid::createUuid();
                made.kind = kind;
                made.text = text;
                return made;
            };
            m.setClips(
                {clip(Clip::Kind::text, QStringLiteral("Meeting moved to Thursday 14:00,\n  room 4 on the "
                                                       "second floor — bring the printed agenda please")),
                 clip(Clip::Kind::url, QStringLiteral("https://example.com/docs/notch")),
                 clip(Clip::Kind::image, QStringLiteral("Image")),
                 clip(Clip::Kind::file, QStringLiteral("Quarterly report.pdf"))});
        }));
    add(QStringLiteral("desk-clipboard-empty"), desk({WidgetID::clipboard}, [](NotchViewModel&) {}));
    add(QStringLiteral("desk-shortcuts"), desk({WidgetID::shortcuts}, [](NotchViewModel& m) {
            m.setRepository(snapshot::sampleRepository());
        }));
    add(QStringLiteral("desk-shortcuts-empty"), desk({WidgetID::shortcuts}, [](NotchViewModel&) {}));
    add(QStringLiteral("desk-synced-shortcut-removed-unsaved"),
        desk({WidgetID::todos, WidgetID::notes, WidgetID::shortcuts},
             [](NotchViewModel& m) { m.setRepository(snapshot::sampleShortcutRemovedUnsaved()); }));
    add(QStringLiteral("desk-synced-todo-removed-unsaved"),
        desk({WidgetID::todos, WidgetID::notes, WidgetID::shortcuts},
             [](NotchViewModel& m) { m.setRepository(snapshot::sampleTodoRemovedUnsaved()); }));
    add(QStringLiteral("desk-synced-todos-unsaved"),
        desk({WidgetID::todos, WidgetID::notes, WidgetID::shortcuts},
             [](NotchViewModel& m) { m.setRepository(snapshot::sampleTodosUnsaved()); }));
    add(QStringLiteral("desk-calendar"), desk({WidgetID::calendar}, [](NotchViewModel& m) {
            m.setCalendarService(snapshot::sampleCalendar(CalendarAccess::granted, true));
        }));
    add(QStringLiteral("desk-calendar-nothing-scheduled"), desk({WidgetID::calendar}, [](NotchViewModel& m) {
            m.setCalendarService(snapshot::sampleCalendar(CalendarAccess::granted, false));
        }));
    for (CalendarAccess access : {CalendarAccess::notDetermined, CalendarAccess::writeOnly,
                                  CalendarAccess::denied, CalendarAccess::restricted})
        add(QStringLiteral("desk-calendar-") + toRaw(access),
            desk({WidgetID::calendar}, [access](NotchViewModel& m) {
                m.setCalendarService(snapshot::sampleCalendar(access, false));
            }));

    // The device widgets, alone in the row.
    const auto deskWith = [](WidgetID id, std::function<void(NotchViewModel&)> fill) {
        return [id, fill](NotchViewModel& m, SettingsStore& s) {
            s.setEnabledWidgets({id});
            m.recomputeLayout();
            m.send(NotchEvent::click());
            fill(m);
        };
    };
    add(QStringLiteral("desk-apps"), deskWith(WidgetID::quickApps, [](NotchViewModel& m) {
            QList<QuickApp> apps;
            for (const char* name : {"Text Editor", "Files", "Terminal"})
                apps.append({QUuid::createUuid(), QLatin1String(name), QLatin1String(name), std::nullopt});
            m.setQuickApps(apps);
        }));
    add(QStringLiteral("desk-apps-empty"),
        deskWith(WidgetID::quickApps, [](NotchViewModel& m) { m.setQuickApps({}); }));
    add(QStringLiteral("desk-sound"), deskWith(WidgetID::audioDevice, [](NotchViewModel& m) {
            using T = AudioState::Transport;
            m.setAudioDevices({{1, QStringLiteral("Built-in Audio Analog Stereo"), T::builtIn, true},
                               {2, QStringLiteral("Buds Pro"), T::bluetooth, false},
                               {3, QStringLiteral("HDMI / DisplayPort 1"), T::hdmi, false}});
        }));
    // Without a camera (or the right to open one) the mirror says so.
    add(QStringLiteral("desk-mirror-no-access"), deskWith(WidgetID::mirror, [](NotchViewModel&) {}));
    const std::pair<const char*, snapshot::WeatherSample> weatherScenes[] = {
        {"desk-weather", snapshot::WeatherSample::reading},
        {"desk-weather-needs-location", snapshot::WeatherSample::needsLocation},
        {"desk-weather-denied", snapshot::WeatherSample::denied},
        {"desk-weather-failed", snapshot::WeatherSample::failed}};
    for (const auto& [name, sample] : weatherScenes)
        add(QLatin1String(name), deskWith(WidgetID::weather, [sample = sample](NotchViewModel& m) {
                // The open row builds the widget once the model has a provider.
                m.setWeatherProvider(&snapshot::sampleWeather(sample));
            }));
    add(QStringLiteral("desk-sound-empty"),
        deskWith(WidgetID::audioDevice, [](NotchViewModel& m) { m.setAudioDevices({}); }));

    const auto drop = [](QList<DropLane> lanes, std::optional<int> hovered, int files) {
        return [lanes, hovered, files](NotchViewModel& m, SettingsStore&) {
            m.setDragURLs(sampleFiles(files));
            m.setDragLanes(lanes);
            m.send(NotchEvent::dragEntered());
            m.setHoveredLane(hovered);
        };
    };
    add(QStringLiteral("drop-lanes"), drop(snapshot::sampleLanes(), std::nullopt, 3));
    add(QStringLiteral("drop-lanes-hover-shelf"), drop(snapshot::sampleLanes(), 0, 3));
    add(QStringLiteral("drop-lanes-hover-pipeline"), drop(snapshot::sampleLanes(), 4, 1));
    add(QStringLiteral("drop-lanes-two"), drop({DropLane::shelf(), DropLane::airDrop()}, 1, 2));
    add(QStringLiteral("drop-hint"), drop({DropLane::shelf()}, std::nullopt, 1));

    for (const snapshot::BannerSample& sample : snapshot::bannerSamples())
        list.append({QStringLiteral("banner-") + sample.name,
                     [](NotchViewModel& m, SettingsStore&) {
                         m.send(NotchEvent::click());
                         m.send(NotchEvent::selectTab(DeskTab::tray));
                     },
                     sample.state});
    return list;
}

// Lets decodes and renders on worker threads finish and their results arrive.
void settle() {
    QElapsedTimer timer;
    timer.start();
    do {
        QThreadPool::globalInstance()->waitForDone(50);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (timer.elapsed() < 150);
}

bool wantsBackdrop(const NotchState& state) {
    const auto kind = state.kind();
    return kind == NotchState::Kind::activityExpanded || kind == NotchState::Kind::open ||
           kind == NotchState::Kind::dropTarget;
}

QImage renderScene(const Scene& scene, bool housing, double scale, bool transparent) {
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    NotchViewModel model(geometry(housing), settings);
    // The tray lives in the throwaway data folder main() chose.
    TrayStore tray(QStringLiteral("Vesk"));
    model.setTrayStore(&tray);
    model.recomputeLayout();
    NotchRootView root(model);
    static const TrayViewEnvironment trayEnvironment;
    DeskEnvironment environment;
    environment.applications = snapshot::sampleApplications();
    environment.trayContent = [](const TrayContentInputs& inputs, QWidget* parent) {
        return TrayWidget::make(inputs, trayEnvironment, parent);
    };
    root.setDeskFactory(
        [&environment](DeskTab tab, NotchViewModel& m, double inset, QWidget* parent) -> QWidget* {
            return new DeskView(tab, m, inset, environment, parent);
        });
    scene.setup(model, settings);

    const QSizeF canvas = model.currentCanvasSize();
    root.resize(canvas.toSize());
    root.show();
    settle();
    root.finishAnimations();
    if (scene.after) {
        scene.after(root);
        // Hover animations run on their own clock: let them end.
        QElapsedTimer hover;
        hover.start();
        while (hover.elapsed() < 500)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    if (scene.banner) {
        // The tray tab's banner in the sample's state, as the pipeline runner would set it.
        if (auto* desk = qobject_cast<DeskView*>(root.content()); desk && desk->trayTab())
            if (PipelineBanner* banner = desk->trayTab()->banner()) banner->setState(*scene.banner);
    }
    settle();

    // Room for the shadow, which spreads 26 points beyond the outline.
    const int margin = 32;
    const QSize size = root.size() + QSize(2 * margin, 2 * margin);
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(transparent ? QColor(Qt::transparent) : QColor(0x5B, 0x6B, 0x7C));
    QPainter painter(&image);
    if (wantsBackdrop(model.state()) && settings.progressiveBlur()) {
        const QSizeF drawn = model.currentCanvasSize();
        const QSizeF shape(std::max(drawn.width() - 12, 1.0), std::max(drawn.height() - 6, 1.0));
        const double left = margin + (root.width() - shape.width()) / 2;
        const QSizeF window(shape.width() + 2 * BackdropRenderer::feather,
                            shape.height() + BackdropRenderer::feather);
        if (const auto shadow =
                BackdropRenderer::render(window, BackdropRenderer::feather, shape, Vesk::Radius::notchTop,
                                         root.bottomRadius(), BackdropRenderer::feather, scale))
            painter.drawImage(QPointF(left - BackdropRenderer::feather, margin), *shadow);
    }
    root.render(&painter, QPoint(margin, margin), QRegion(), QWidget::DrawChildren);
    painter.end();
    root.hide();
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The scenes' tray and settings must never touch the user's own.
    QTemporaryDir data(QDir::tempPath() + QStringLiteral("/notch-snapshot-XXXXXX"));
    if (!data.isValid()) {
        std::fprintf(stderr, "notch-snapshot: cannot create a temporary folder\n");
        return 1;
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);

    QStringList args = app.arguments().mid(1);
    bool housing = false;
    bool transparent = false;
    double scale = 2;
    QString only;
    QString folder;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--housing"))
            housing = true;
        else if (arg == QLatin1String("--transparent"))
            transparent = true;
        else if (arg == QLatin1String("--scale") && i + 1 < args.size())
            scale = args[++i].toDouble();
        else if (arg == QLatin1String("--only") && i + 1 < args.size())
            only = args[++i];
        else if (!arg.startsWith(QLatin1String("--")) && folder.isEmpty())
            folder = arg;
        else {
            std::fprintf(stderr, "notch-snapshot: unknown argument %s\n", qPrintable(arg));
            return 2;
        }
    }
    if (folder.isEmpty() || !(scale > 0 && scale <= 4)) {
        std::fprintf(stderr, "usage: notch-snapshot <folder> [--housing] [--scale <1-4>] [--transparent] "
                             "[--only <text>]\n");
        return 2;
    }
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "notch-snapshot: cannot create %s\n", qPrintable(folder));
        return 1;
    }

    int written = 0;
    int number = 0;
    for (const Scene& scene : scenes()) {
        ++number;
        if (!only.isEmpty() && !scene.name.contains(only)) continue;
        const QImage image = renderScene(scene, housing, scale, transparent);
        const QString path = QDir(folder).filePath(
            QStringLiteral("%1-%2.png").arg(number, 2, 10, QLatin1Char('0')).arg(scene.name));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "notch-snapshot: cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
        ++written;
    }
    return written > 0 ? 0 : 1;
}
