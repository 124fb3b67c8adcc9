#include "VeskPlatform/Workspace/SystemSettings.h"

#include "VeskPlatform/Workspace/ChildEnvironment.h"

#include <QStandardPaths>

#include <array>

namespace vesk {

namespace {

struct Page {
    const char* anchor;
    const char* gnome; // gnome-control-center panel
    const char* kde;   // systemsettings module
};

// Accessibility here means taking the media keys from the desktop, which the keyboard
// shortcut pages can free; calendars come from the online accounts on GNOME.
constexpr std::array<Page, 7> pages{{
    {"Privacy_Accessibility", "keyboard", "kcm_keys"},
    {"Privacy_ListenEvent", nullptr, nullptr},
    {"Privacy_Bluetooth", "bluetooth", "kcm_bluetooth"},
    {"Privacy_Calendars", "online-accounts", nullptr},
    {"Privacy_Camera", "camera", nullptr},
    {"Privacy_AllFiles", nullptr, nullptr},
    {"Privacy_LocationServices", "location", nullptr},
}};

const Page* pageFor(QStringView anchor) {
    for (const Page& page : pages)
        if (anchor == QLatin1String(page.anchor)) return &page;
    return nullptr;
}

} // namespace

SystemSettings::SystemSettings(std::optional<QString> currentDesktop, FindProgram find, StartProgram start)
    : m_find(find ? std::move(find)
                  : FindProgram([](const QString& name) { return QStandardPaths::findExecutable(name); })),
      m_start(start ? std::move(start) : StartProgram([](const Launch& launch) {
          return childEnvironment::startDetached(launch.program, launch.arguments);
      })) {
    const QString desktops = currentDesktop ? *currentDesktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    m_desktops = desktops.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

std::optional<SystemSettings::Launch> SystemSettings::launchFor(QStringView anchor) const {
    const Page* page = pageFor(anchor);
    if (!page) return std::nullopt;
    for (const QString& desktop : m_desktops) {
        if (desktop.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0 && page->gnome) {
            const QString program = m_find(QStringLiteral("gnome-control-center"));
            if (!program.isEmpty()) return Launch{program, {QString::fromLatin1(page->gnome)}};
        }
        if (desktop.compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0 && page->kde) {
            for (const char* name : {"systemsettings", "systemsettings5"}) {
                const QString program = m_find(QString::fromLatin1(name));
                if (!program.isEmpty()) return Launch{program, {QString::fromLatin1(page->kde)}};
            }
        }
    }
    return std::nullopt;
}

bool SystemSettings::open(QStringView anchor) const {
    const std::optional<Launch> launch = launchFor(anchor);
    return launch && m_start(*launch);
}

QString SystemSettings::nothingNeeded(QStringView anchor) {
    if (anchor == QLatin1String("Privacy_Accessibility"))
        return QStringLiteral("This desktop has no setting for it: in an X11 session VeskNotch can take the "
                              "volume and brightness keys whenever no other program holds them.");
    if (anchor == QLatin1String("Privacy_ListenEvent"))
        return QStringLiteral(
            "Nothing needs to be allowed: VeskNotch sees the media keys in any X11 session.");
    if (anchor == QLatin1String("Privacy_Bluetooth"))
        return QStringLiteral("Nothing needs to be allowed: VeskNotch uses Bluetooth whenever the Bluetooth "
                              "service is running.");
    if (anchor == QLatin1String("Privacy_Camera"))
        return QStringLiteral(
            "Nothing needs to be allowed: VeskNotch can use any camera your account may open.");
    if (anchor == QLatin1String("Privacy_LocationServices"))
        return QStringLiteral(
            "Location comes from the desktop's location service (GeoClue); this desktop has no "
            "page to allow it.");
    if (anchor == QLatin1String("Privacy_AllFiles"))
        return QStringLiteral(
            "Nothing needs to be allowed: VeskNotch can open every file your account can open.");
    return QStringLiteral(
        "This desktop's settings have no page for this; nothing needs to be allowed there.");
}

} // namespace vesk
