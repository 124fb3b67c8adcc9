// window-snapshot: renders the settings window on each pane, the sidebar's search and
// every building block of the panes to PNG files, on Qt's offscreen platform, over a
// temporary settings file.
//
//   window-snapshot <folder> [--scale <n>] [--only <text>]
//
// Each pane is written as <raw value>.png with the window grown to the pane's full
// height; controls.png holds the building blocks in their states; onboarding-<page>.png
// the first-run window and demo-<script>-<beat>.png each beat of its notch demo. --scale renders at
// that many pixels a point (default 2); --only keeps the pictures whose names contain
// the text. The tray's preview window is written as preview-<kind>.png.
#include "Scenes.h"

#include "Vesk/SettingsWindow/SettingsRootView.h"
#include "Vesk/SettingsWindow/SettingsSidebar.h"
#include "Vesk/SettingsWindow/SettingsWindow.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Pasteboard/SystemPasteboard.h"
#include "VeskPlatform/Shortcuts/ScriptFolderShortcuts.h"
#include "VeskPlatform/Workspace/DesktopApplications.h"
#include "VeskServices/Clipboard/ClipboardService.h"
#include "VeskServices/QuickApps/QuickAppsService.h"
#include "VeskServices/Shortcuts/ShortcutsService.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace vesk;

namespace {

// Installed applications that take a second to list, so the pane is caught looking.
class SlowApplications final : public DesktopApplications {
public:
    QList<DesktopEntry> installed() const override {
        QThread::sleep(1);
        return {};
    }
    std::optional<DesktopEntry> entry(const QString&) const override { return std::nullopt; }
    std::optional<DesktopEntry> load(const QString&) const override { return std::nullopt; }
    bool launch(const QString&, QString*) const override { return false; }
    QIcon icon(const QString&) const override { return {}; }
    QImage iconImage(const QString&, int) const override { return {}; }
};

// Shortcut scripts that take a few seconds to list, so the pane is caught reading them.
class SlowShortcuts final : public ShortcutScripts {
public:
    bool canList() const override { return true; }
    void list(QObject* context, std::function<void(QStringList)> done) override {
        QTimer::singleShot(3000, context, [done] { done({}); });
    }
    void run(const QString&, const std::optional<QString>&) override {}
};

bool writePng(QWidget& widget, const QString& path, double scale) {
    QImage image((QSizeF(widget.size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        widget.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    if (!image.save(path)) {
        std::fprintf(stderr, "window-snapshot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The window with the scene's pane, as tall as the pane needs.
bool writeScene(const snapshot::Scene& scene, const QString& folder, const QString& settingsPath,
                double scale) {
    QFile::remove(settingsPath);
    auto defaults = UserDefaults::atPath(settingsPath);
    SettingsStore settings(*defaults);
    SettingsWindowEnvironment environment;
    scene.setup(settings, environment);
    SettingsWindow window(settings, *defaults, nullptr, environment, scene.pane);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.resize(SettingsWindow::contentSize);
    window.show();
    if (!scene.search.isEmpty()) window.root()->sidebar()->searchField()->setText(scene.search);
    QWidget* content = window.root()->detailContent();
    const int needed = content->heightForWidth(content->width()) > 0
                           ? content->heightForWidth(content->width())
                           : content->sizeHint().height();
    window.resize(SettingsWindow::contentSize.width(),
                  std::max(SettingsWindow::contentSize.height(), needed));
    // Scans and listings the panes start answer from worker threads.
    for (QDeadlineTimer settle(400); !settle.hasExpired();)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return writePng(window, QDir(folder).filePath(scene.name + QStringLiteral(".png")), scale);
}

bool writeControls(const QString& folder, const QString& settingsPath, double scale) {
    QFile::remove(settingsPath);
    auto defaults = UserDefaults::atPath(settingsPath);
    SettingsStore settings(*defaults);
    std::unique_ptr<QWidget> sheet(snapshot::controlsSheet(settings));
    sheet->setAttribute(Qt::WA_DontShowOnScreen);
    const int width = SettingsRootView::detailMaxWidth;
    sheet->resize(width, 400);
    sheet->show();
    sheet->resize(width,
                  sheet->hasHeightForWidth() ? sheet->heightForWidth(width) : sheet->sizeHint().height());
    QApplication::processEvents();
    return writePng(*sheet, QDir(folder).filePath(QStringLiteral("controls.png")), scale);
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The panes' services keep their files in a throwaway data folder, never the user's.
    QTemporaryDir data;
    if (data.isValid()) qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);
    SystemPasteboard pasteboard;
    ClipboardService clipboard(pasteboard, QStringLiteral("Vesk"));
    snapshot::setClipboard(&clipboard);
    QuickAppsService quickApps(QStringLiteral("Vesk"));
    snapshot::setQuickApps(&quickApps);
    QuickAppsService slowQuickApps(
        QStringLiteral("Vesk"), {.applications = std::make_shared<SlowApplications>(), .running = nullptr});
    snapshot::setSlowQuickApps(&slowQuickApps);
    // A few executable scripts to list, and a folder that does not exist.
    QTemporaryDir scripts;
    for (const char* name : {"Backup Photos.sh", "Note.sh", "Start Focus.sh"}) {
        QFile script(scripts.filePath(QString::fromUtf8(name)));
        if (script.open(QIODevice::WriteOnly)) script.write("#!/bin/sh\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    ScriptFolderShortcuts::Options listedOptions;
    listedOptions.folder = scripts.path();
    ScriptFolderShortcuts::Options missingOptions;
    missingOptions.folder = scripts.filePath(QStringLiteral("none"));
    ScriptFolderShortcuts listed(listedOptions);
    ScriptFolderShortcuts missing(missingOptions);
    ShortcutsService shortcuts(QStringLiteral("Vesk"), {.scripts = &listed});
    ShortcutsService withoutFolder(QStringLiteral("Vesk"), {.scripts = &missing});
    SlowShortcuts slowScripts;
    ShortcutsService slowShortcuts(QStringLiteral("Vesk"), {.scripts = &slowScripts});
    snapshot::setShortcuts(&shortcuts, &withoutFolder, &slowShortcuts);
    const QStringList args = app.arguments().mid(1);
    QString folder, only;
    double scale = 2;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--scale") && i + 1 < args.size())
            scale = std::clamp(args.at(++i).toDouble(), 1.0, 4.0);
        else if (args.at(i) == QLatin1String("--only") && i + 1 < args.size())
            only = args.at(++i);
        else if (!args.at(i).startsWith(QLatin1String("--")) && folder.isEmpty())
            folder = args.at(i);
        else {
            std::fprintf(stderr, "usage: window-snapshot <folder> [--scale <n>] [--only <text>]\n");
            return 2;
        }
    }
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        std::fprintf(stderr, "usage: window-snapshot <folder> [--scale <n>] [--only <text>]\n");
        return 2;
    }
    QTemporaryDir store;
    if (!store.isValid()) {
        std::fprintf(stderr, "window-snapshot: cannot make a temporary folder\n");
        return 1;
    }
    const QString settingsPath = store.filePath(QStringLiteral("defaults.json"));
    bool ok = true;
    for (const snapshot::Scene& scene : snapshot::scenes())
        if (only.isEmpty() || scene.name.contains(only))
            ok = writeScene(scene, folder, settingsPath, scale) && ok;
    if (only.isEmpty() || QStringLiteral("controls").contains(only))
        ok = writeControls(folder, settingsPath, scale) && ok;
    {
        QFile::remove(settingsPath);
        auto defaults = UserDefaults::atPath(settingsPath);
        SettingsStore settings(*defaults);
        ok = snapshot::writeOnboarding(folder, settings, scale, only, writePng) && ok;
    }
    ok = snapshot::writePreviews(folder, scale, only, writePng) && ok;
    return ok ? 0 : 1;
}
