#pragma once

#include "VeskPlatform/Workspace/DesktopApplications.h"
#include "VeskPlatform/Workspace/IconThemeFiles.h"

#include <thread>

namespace vesk {

// Desktop entries through GIO's GDesktopAppInfo, which follows the freedesktop folders
// of desktop entries and their precedence. Construction starts reading every entry on a
// thread of its own, so GIO builds its index of the entries off the main thread; the
// main-thread calls then read one entry each. Ending waits for that reading.
class GioDesktopApplications final : public DesktopApplications {
public:
    GioDesktopApplications();
    ~GioDesktopApplications() override;
    GioDesktopApplications(const GioDesktopApplications&) = delete;
    GioDesktopApplications& operator=(const GioDesktopApplications&) = delete;

    QList<DesktopEntry> installed() const override;
    std::optional<DesktopEntry> entry(const QString& id) const override;
    std::optional<DesktopEntry> load(const QString& path) const override;
    bool launch(const QString& path, QString* error = nullptr) const override;
    QIcon icon(const QString& path) const override;
    QImage iconImage(const QString& path, int pixels) const override;

    // The desktop-file id of an entry file: its path below an "applications" folder of
    // the XDG data folders with "/" read as "-", else its file name.
    static QString desktopFileID(const QString& path);

private:
    IconThemeFiles m_iconFiles;
    // Joined when this ends: GIO reads the environment and the folders as it goes, and
    // nothing of ours may still do so once its owner is gone.
    std::thread m_scan;
};

} // namespace vesk
