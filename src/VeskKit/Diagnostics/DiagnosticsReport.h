#pragma once

#include "VeskKit/Diagnostics/BuildProfile.h"
#include "VeskKit/Foundation/Date.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace vesk {

// A plain-text summary of the running system that a user can attach to a problem
// report. The shell gathers the facts; this only arranges and formats them.
struct DiagnosticsReport {
    using Row = std::pair<QString, QString>;

    struct Section {
        QString title;
        QList<Row> rows;
        friend bool operator==(const Section&, const Section&) = default;
    };

    struct Screen {
        QString name;
        QString size;
        QString notch;
    };

    // What make() arranges into sections.
    struct Facts {
        QString version;
        QString build;
        QString osName; // the system as os-release names it
        QString model;
        BuildProfile profile{false};
        QList<Screen> screens;
        QList<Row> permissions;
        QList<Row> services;
        QString syncSummary;
        QList<Row> storeRows; // after the status, in the "Sync" section
        int widgetCount = 0;
        int trayCount = 0;
        int clipCount = 0;
        int todoCount = 0;
        QStringList logTail;
        Date generatedAt;
    };

    QList<Section> sections;
    QStringList logTail; // oldest first
    Date generatedAt;

    // The personal data the report never carries, as the report itself lists it.
    static const QStringList& redactedFields();
    // The report's name for a capability; empty for one it never lists.
    static QString capabilityName(Capability capability);

    static DiagnosticsReport make(const Facts& facts);
    QString formatted() const;

    friend bool operator==(const DiagnosticsReport&, const DiagnosticsReport&) = default;
};

} // namespace vesk
