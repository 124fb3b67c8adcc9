#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>

namespace vesk {

struct AboutFacts {
    // "Version 1.0 (—)": Linux builds have no separate build number.
    QString version;
    // The build is sandboxed (a Flatpak).
    bool isSandboxed = false;
    // The product's site, an https URL; empty when the build names none.
    QString website;
    // No updater here: the package manager updates the program.
    bool updatesAvailable = false;
    QIcon icon;
};

QString aboutVersion(const QString& applicationVersion);
QString aboutEdition(const AboutFacts& facts);

// Who the program is, how it is updated, the site's links, and "Show Welcome".
QWidget* makeAboutPane(const AboutFacts& facts);

} // namespace vesk
