#pragma once

#include "Vesk/Permissions/ActivationHolds.h"
#include "VeskKit/Diagnostics/DiagnosticsReport.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace vesk {

// Saves a diagnostics report where the user chooses and shows the file. Main thread.
class DiagnosticsExport {
public:
    static QString panelTitle() { return QStringLiteral("Save VeskNotch Diagnostics"); }
    static QString proposedName() { return QStringLiteral("VeskNotch-diagnostics.txt"); }

    // The path chosen, or empty when the user cancelled.
    using ChoosePath = std::function<QString(QWidget* parent)>;
    using Reveal = std::function<void(const QString& path)>;
    using ReportFailure = std::function<void(const QString& path, const QString& reason, QWidget* parent)>;

    // By default the save panel, the file manager and an alert.
    explicit DiagnosticsExport(ActivationHolds& holds, ChoosePath choose = {}, Reveal reveal = {},
                               ReportFailure reportFailure = {});

    // Asks where to save, writes the report there atomically and shows it in the file
    // manager. A failed write is reported with its reason and nothing is shown. The
    // program is a regular application while the panel is up. Returns the path written.
    std::optional<QString> run(const DiagnosticsReport& report, QWidget* parent = nullptr) const;

    // The save panel: plain text, proposing the report's name in the documents folder.
    static QString askForPath(QWidget* parent);
    static void reportFailure(const QString& path, const QString& reason, QWidget* parent);

private:
    ActivationHolds& m_holds;
    ChoosePath m_choose;
    Reveal m_reveal;
    ReportFailure m_reportFailure;
};

} // namespace vesk
