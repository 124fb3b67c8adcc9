// The first-run window's pictures: each page, the permissions page with Bluetooth
// refused and with the help after a request that changed nothing, and each beat of the
// notch demo.
#include "Scenes.h"

#include "Vesk/Onboarding/NotchDemo.h"
#include "Vesk/Onboarding/OnboardingModel.h"
#include "Vesk/Onboarding/OnboardingWindow.h"
#include "Vesk/Permissions/PermissionLayers.h"
#include "Vesk/Permissions/Permissions.h"
#include "VeskKit/Settings/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

namespace vesk::snapshot {

namespace {

// Fixed answers: the keys can be heard, Bluetooth as the picture needs.
class PictureLayers final : public PermissionLayers {
public:
    BluetoothService::Authorization bluetooth = BluetoothService::Authorization::notDetermined;

    EventTapService::InputMonitoring inputMonitoring() const override {
        return EventTapService::InputMonitoring::granted;
    }
    void requestInputMonitoring() override {}
    bool hasAccessibility() const override { return true; }
    void requestAccessibility() override {}
    BluetoothService::Authorization bluetoothAuthorization() const override { return bluetooth; }
    void probeBluetooth(std::function<void()>) override {}
    CalendarAuthorization calendarAuthorization() const override {
        return CalendarAuthorization::notDetermined;
    }
    void requestCalendarAccess(std::function<void(bool)> done) override { done(false); }
    CameraAccess::Authorization cameraAuthorization() const override {
        return CameraAccess::Authorization::notDetermined;
    }
    void requestCameraAccess(std::function<void(bool)> done) override { done(false); }
};

struct Page {
    const char* name;
    OnboardingModel::Step step;
    BluetoothService::Authorization bluetooth;
    bool stuck;
};

} // namespace

bool writeOnboarding(const QString& folder, SettingsStore& settings, double scale, const QString& only,
                     const Writer& write) {
    using Step = OnboardingModel::Step;
    using Bt = BluetoothService::Authorization;
    const Page pages[] = {
        {"onboarding-welcome", Step::welcome, Bt::notDetermined, false},
        {"onboarding-gestures", Step::gestures, Bt::notDetermined, false},
        {"onboarding-media", Step::media, Bt::notDetermined, false},
        {"onboarding-permissions", Step::permissions, Bt::notDetermined, false},
        {"onboarding-permissions-denied", Step::permissions, Bt::denied, false},
        {"onboarding-permissions-stuck", Step::permissions, Bt::denied, true},
        {"onboarding-desk", Step::desk, Bt::notDetermined, false},
    };
    bool ok = true;
    for (const Page& page : pages) {
        const QString name = QString::fromUtf8(page.name);
        if (!only.isEmpty() && !name.contains(only)) continue;
        PictureLayers layers;
        layers.bluetooth = page.bluetooth;
        ActivationHolds holds;
        PermissionPrompt prompt(holds);
        Permissions permissions(layers, prompt);
        OnboardingWindow window(settings, permissions, nullptr, [] {});
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.show();
        window.model().setStep(page.step);
        if (page.stuck) window.model().setStuckPermission(Permission::bluetooth);
        // The page at rest: its fade-in and the dots' slide done (well within the first beat).
        QElapsedTimer settling;
        settling.start();
        while (settling.elapsed() < 600)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        ok = write(window, QDir(folder).filePath(name + QStringLiteral(".png")), scale) && ok;
    }

    const struct {
        const char* name;
        DemoScript script;
        int beats;
    } demos[] = {{"overview", DemoScript::overview, 3},
                 {"gestures", DemoScript::gestures, 5},
                 {"media", DemoScript::media, 1},
                 {"desk", DemoScript::desk, 2}};
    for (const auto& demo : demos)
        for (int beat = 0; beat < demo.beats; ++beat) {
            const QString name = QStringLiteral("demo-%1-%2").arg(QLatin1String(demo.name)).arg(beat);
            if (!only.isEmpty() && !name.contains(only)) continue;
            NotchDemo view(demo.script);
            view.setAttribute(Qt::WA_DontShowOnScreen);
            view.resize(604, int(notchDemo::cardHeight));
            view.show();
            view.showBeat(beat);
            ok = write(view, QDir(folder).filePath(name + QStringLiteral(".png")), scale) && ok;
        }
    return ok;
}

} // namespace vesk::snapshot
