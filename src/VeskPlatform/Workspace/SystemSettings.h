#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

namespace vesk {

// The desktop's settings application, opened at the page that matters for one privacy
// pane. Panes are named by their anchors ("Privacy_Accessibility", "Privacy_ListenEvent",
// "Privacy_Bluetooth", "Privacy_Calendars", "Privacy_Camera", "Privacy_AllFiles",
// "Privacy_LocationServices"). GNOME and KDE have pages for some of them; where a desktop
// has none, nothing needs to be allowed there, and nothingNeeded() says so in words.
class SystemSettings {
public:
    struct Launch {
        QString program;
        QStringList arguments;
        friend bool operator==(const Launch&, const Launch&) = default;
    };
    // The full path of an installed program, or empty.
    using FindProgram = std::function<QString(const QString& name)>;
    using StartProgram = std::function<bool(const Launch& launch)>;

    // By default the running desktop (XDG_CURRENT_DESKTOP), programs on PATH, and a
    // detached start.
    explicit SystemSettings(std::optional<QString> currentDesktop = std::nullopt, FindProgram find = {},
                            StartProgram start = {});

    std::optional<Launch> launchFor(QStringView anchor) const;
    // Starts the settings application; false when this desktop has no page for the pane
    // or it could not be started.
    bool open(QStringView anchor) const;

    // Why nothing has to be done for a pane this desktop has no page for.
    static QString nothingNeeded(QStringView anchor);

private:
    QStringList m_desktops;
    FindProgram m_find;
    StartProgram m_start;
};

} // namespace vesk
