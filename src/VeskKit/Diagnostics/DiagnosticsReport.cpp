#include "VeskKit/Diagnostics/DiagnosticsReport.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>

namespace vesk {

namespace {

struct NamedCapability {
    const Capability* capability;
    const char* name;
};

// The report's order; mediaShuffleRepeat has no name and is never listed.
const std::array<NamedCapability, 9> namedCapabilities{{
    {&Capability::universalNowPlaying, "Universal now playing"},
    {&Capability::mediaSeek, "Media seek"},
    {&Capability::hudSuppression, "HUD suppression"},
    {&Capability::brightnessControl, "Brightness control"},
    {&Capability::focusIdentity, "Focus identity"},
    {&Capability::shortcutListing, "Shortcut listing"},
    {&Capability::liveWaveform, "Live waveform"},
    {&Capability::deviceBattery, "Device battery"},
    {&Capability::idleSurface, "Idle surface"},
}};

// Characters as a reader counts them, so accented or composed labels still line up.
qsizetype characterCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString rule(qsizetype length) {
    return QString(length, QChar(0x2500));
}

} // namespace

const QStringList& DiagnosticsReport::redactedFields() {
    static const QStringList fields{
        QStringLiteral("to-do and note text"),     QStringLiteral("clipboard contents"),
        QStringLiteral("file names in the shelf"), QStringLiteral("what's playing"),
        QStringLiteral("your location"),           QStringLiteral("calendar event titles"),
    };
    return fields;
}

QString DiagnosticsReport::capabilityName(Capability capability) {
    for (const auto& named : namedCapabilities)
        if (*named.capability == capability) return QString::fromUtf8(named.name);
    return {};
}

DiagnosticsReport DiagnosticsReport::make(const Facts& facts) {
    DiagnosticsReport report;
    report.logTail = facts.logTail;
    report.generatedAt = facts.generatedAt;

    report.sections.append(
        {QStringLiteral("Vesk"),
         {
             {QStringLiteral("Version"),
              facts.version + QStringLiteral(" (") + facts.build + QStringLiteral(")")},
             {QStringLiteral("Build"),
              facts.profile.isSandboxed ? QStringLiteral("Flatpak (sandboxed)") : QStringLiteral("Direct")},
             {QStringLiteral("OS"), facts.osName},
             {QStringLiteral("Model"), facts.model},
         }});

    Section displays{QStringLiteral("Displays"), {}};
    for (const Screen& screen : facts.screens)
        displays.rows.append({screen.name, screen.size + QStringLiteral(", notch ") + screen.notch});
    report.sections.append(displays);

    report.sections.append({QStringLiteral("Permissions"), facts.permissions});
    report.sections.append({QStringLiteral("Services"), facts.services});
    report.sections.append({QStringLiteral("Sync"),
                            QList<Row>{{QStringLiteral("Status"), facts.syncSummary}} + facts.storeRows});
    report.sections.append({QStringLiteral("Content"),
                            {
                                {QStringLiteral("Widgets enabled"), QString::number(facts.widgetCount)},
                                {QStringLiteral("Items on the shelf"), QString::number(facts.trayCount)},
                                {QStringLiteral("Clipboard entries"), QString::number(facts.clipCount)},
                                {QStringLiteral("To-dos"), QString::number(facts.todoCount)},
                            }});

    Section missing{QStringLiteral("Unavailable in this build"), {}};
    for (const auto& named : namedCapabilities)
        if (!facts.profile.has(*named.capability))
            missing.rows.append({QString::fromUtf8(named.name), QString(QChar(0x2014))});
    if (!missing.rows.isEmpty()) report.sections.append(missing);
    return report;
}

QString DiagnosticsReport::formatted() const {
    const QLatin1Char nl('\n');
    QString text = QStringLiteral("Vesk diagnostics") + nl;
    text += QStringLiteral("Generated ") + generatedAt.iso8601() + nl;

    for (const Section& section : sections) {
        text += nl + section.title + nl + rule(characterCount(section.title)) + nl;
        qsizetype width = 0;
        for (const Row& row : section.rows)
            width = std::max(width, characterCount(row.first));
        for (const Row& row : section.rows) {
            const qsizetype fill = width - characterCount(row.first);
            text += QStringLiteral("  ") + row.first + QString(fill, QLatin1Char(' ')) +
                    QStringLiteral("  ") + row.second + nl;
        }
    }

    text += nl + QStringLiteral("Deliberately not included") + nl + rule(25) + nl;
    for (const QString& item : redactedFields())
        text += QStringLiteral("  ") + QChar(0x00B7) + QLatin1Char(' ') + item + nl;

    if (!logTail.isEmpty()) {
        text += nl + QStringLiteral("Recent log") + nl + rule(10) + nl;
        for (const QString& line : logTail)
            text += QStringLiteral("  ") + line + nl;
    }
    return text;
}

} // namespace vesk
