#pragma once

#include "Vesk/Permissions/ActivationHolds.h"
#include "VeskKit/Diagnostics/DiagnosticsReport.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace vesk {

// Saves a diagnostics report where the user chooses and shows the file. Nothing waits for
// the user: the panel and any alert are shown and their answers handled when they come.
// Main thread.
class DiagnosticsExport {
public:
    static QString panelTitle() { return QStringLiteral("Save VeskNotch Diagnostics"); }
    static QString proposedName() { return QStringLiteral("VeskNotch-diagnostics.txt"); }

    // Shows a way to choose a path and returns its window (null when none is shown);
    // `chosen` runs once, with the path or, when the user cancelled, empty.
    using ChoosePath =
        std::function<QWidget*(QWidget* parent, std::function<void(const QString& path)> chosen)>;
    using Reveal = std::function<void(const QString& path)>;
    using ReportFailure = std::function<void(const QString& path, const QString& reason, QWidget* parent)>;
    // The path written, or none when cancelled or failed.
    using Done = std::function<void(const std::optional<QString>& path)>;

    // By default the save panel, the file manager and an alert.
    explicit DiagnosticsExport(ActivationHolds& holds, ChoosePath choose = {}, Reveal reveal = {},
                               ReportFailure reportFailure = {});

    // Asks where to save; once answered, writes the report there atomically and shows it
    // in the file manager. A failed write is reported with its reason and nothing is
    // shown. The program is a regular application while the panel is up. Returns the
    // panel.
    QWidget* run(const DiagnosticsReport& report, QWidget* parent = nullptr, Done done = {}) const;

    // The save panel: plain text, proposing the report's name in the documents folder.
    static QWidget* askForPath(QWidget* parent, std::function<void(const QString& path)> chosen);
    static void reportFailure(const QString& path, const QString& reason, QWidget* parent);

private:
    ActivationHolds& m_holds;
    ChoosePath m_choose;
    Reveal m_reveal;
    ReportFailure m_reportFailure;
};

} // namespace vesk
