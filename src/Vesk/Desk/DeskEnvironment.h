#pragma once

#include "VeskServices/Tray/TrayItem.h"
#include "VeskUI/Motion/MotionSpec.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;

namespace vesk {

class CameraAccess;
class CameraCapture;
class ClockSource;
class DesktopApplications;
class Pasteboard;
class Scheduler;
class TrayStore;

// What the tray tab's actions do; each looks the tray store up afresh when it runs.
struct TrayActions {
    // Removes the items and republishes the list once.
    std::function<void(const QList<TrayItem>&)> onRemove;
    std::function<void()> onClear;
    std::function<void()> onPaste;
};

// What the tray tab hands the view that lists the tray's items.
struct TrayContentInputs {
    QList<TrayItem> items;
    TrayStore* store = nullptr;
    bool copyByDefault = true;
    TrayActions actions;
};

// The view listing the tray's items, and how it takes each new list of items and each
// change of what a plain drag does.
struct TrayContent {
    QWidget* widget = nullptr;
    std::function<void(const QList<TrayItem>&)> setItems;
    std::function<void(bool copyByDefault)> setCopyByDefault;
};

// What the open desk and its widgets reach outside the view model. The window
// controller keeps one and hands it to every desk it builds; the pointers must outlive
// the desks.
struct DeskEnvironment {
    // What the tray's paste action reads; without one pasting adds nothing.
    Pasteboard* pasteboard = nullptr;
    // The time and the main-thread scheduler widget clocks run on; the system clock and
    // mainScheduler() when null.
    const ClockSource* clock = nullptr;
    Scheduler* scheduler = nullptr;
    // Opens a URL with the desktop; QDesktopServices when empty.
    std::function<bool(const QUrl&)> openURL;
    // Opens the desktop's settings at a privacy pane; set by the shell.
    std::function<void(const QString& anchor)> openPrivacyPane;
    // Builds the tray tab's list of items, once per tray tab; the place stays blank while empty.
    std::function<TrayContent(const TrayContentInputs&, QWidget* parent)> trayContent;

    // The installed applications the media widget offers; the desktop's own when null.
    std::shared_ptr<DesktopApplications> applications;
    // Whether the desktop asks for reduced motion; its shared preference when empty.
    std::function<bool()> reducesMotion;
    // The mirror's camera permission and capture; the desktop's own and Qt Multimedia
    // when null or empty. A capture is made on the mirror's queue.
    CameraAccess* cameraAccess = nullptr;
    std::function<std::unique_ptr<CameraCapture>()> makeCameraCapture;

    const ClockSource& clockSource() const;
    std::shared_ptr<DesktopApplications> desktopApplications() const;
    Scheduler& mainThreadScheduler() const;
    bool open(const QUrl& url) const;
    // How hover changes move: the shared hover spring, or a jump under reduced motion.
    MotionSpec hoverMotion() const;
};

} // namespace vesk
