#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace vesk {

// One application as its desktop entry describes it.
struct DesktopEntry {
    // The desktop-file id, "org.gnome.TextEditor.desktop".
    QString id;
    // The entry's localized Name.
    QString name;
    // The entry file's absolute path.
    QString path;
    // StartupWMClass, empty when the entry has none.
    QString startupWMClass;
    // The program the entry runs (its Exec's first word), empty when unknown.
    QString executable;

    friend bool operator==(const DesktopEntry&, const DesktopEntry&) = default;
};

// The desktop's installed applications, as the desktop entries of the XDG data folders
// list them.
class DesktopApplications {
public:
    virtual ~DesktopApplications() = default;

    // The entries a menu would show, one per id (the user's own entry overrides or hides
    // a system one of the same id), in no set order. Slow: reads every entry on the
    // first call. Safe on any thread.
    virtual QList<DesktopEntry> installed() const = 0;
    // The entry the desktop launches for `id`, or none.
    virtual std::optional<DesktopEntry> entry(const QString& id) const = 0;
    // The entry in the file at `path` when it loads as an application entry.
    virtual std::optional<DesktopEntry> load(const QString& path) const = 0;
    // Starts the application of the entry file at `path`. On failure returns false and,
    // when asked, the reason.
    virtual bool launch(const QString& path, QString* error = nullptr) const = 0;
    // The entry's icon from the icon theme (or its own file), else the theme's generic
    // program icon; a null icon when the entry does not load.
    virtual QIcon icon(const QString& path) const = 0;
    // The same icon as an image fitting `pixels` square, read from the icon themes' files
    // (or the entry's own icon file) without Qt's icon loader, so safe on any thread;
    // null when the entry does not load or no file is found.
    virtual QImage iconImage(const QString& path, int pixels) const = 0;

    // The desktop's own, over GIO.
    static std::unique_ptr<DesktopApplications> create();
};

} // namespace vesk
