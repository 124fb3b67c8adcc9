#include "Vesk/Shell/DeveloperHooks.h"

#include "Vesk/Shell/DebugActivitySource.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskServices/Tray/TrayStore.h"

#include <QDir>
#include <QPointer>

namespace vesk::DeveloperHooks {

namespace {

// Adds the URLs to the tray as copies and republishes the tray, also as copied items
// land; the number of items the store accepted.
qsizetype seedTray(const Targets& targets, const QList<QUrl>& urls) {
    TrayStore* store = targets.trayStore ? targets.trayStore() : nullptr;
    if (!store) return 0;
    auto republish = targets.republishTray;
    const QList<TrayItem> added = store->add(urls, false, [republish](const QList<TrayItem>&) {
        if (republish) republish();
    });
    if (republish) republish();
    return added.size();
}

void log(const Targets& targets, const QString& line) {
    if (targets.log) targets.log(line);
}

} // namespace

std::optional<QString> processEnvironment(const char* name) {
    if (!qEnvironmentVariableIsSet(name)) return std::nullopt;
    return qEnvironmentVariable(name);
}

std::optional<ActivityPayload> demoPayload(const QString& value, Date now) {
    const std::optional<ActivityKind> kind = fromRaw<ActivityKind>(value);
    if (!kind) return std::nullopt;
    const ActivityPayload sample = DebugActivitySource::make(*kind, now);
    return ActivityPayload{.id = QUuid::createUuid(),
                           .kind = *kind,
                           .priority = ActivityPriority::interrupt,
                           .dedupeKey = QString(),
                           .leading = sample.leading,
                           .title = sample.title,
                           .subtitle = sample.subtitle,
                           .trailing = sample.trailing,
                           .duration = demoDuration,
                           .interaction = std::nullopt,
                           .createdAt = now};
}

QList<QUrl> pathList(const QString& value) {
    QList<QUrl> urls;
    for (const QString& piece : value.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        urls.append(QUrl::fromLocalFile(piece));
    return urls;
}

QList<QUrl> folderEntries(const QString& path) {
    QList<QUrl> urls;
    // An empty path would list the working folder.
    if (path.isEmpty()) return urls;
    const QDir folder(path);
    if (!folder.exists()) return urls;
    const QStringList names =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names)
        urls.append(QUrl::fromLocalFile(folder.filePath(name)));
    return urls;
}

void run(const Targets& targets, QObject* context, const Lookup& lookup) {
    const QPointer<QObject> guard(context);
    auto later = [guard](double seconds, std::function<void()> work) {
        onMainAfter(seconds, [guard, work = std::move(work)] {
            if (guard) work();
        });
    };

    if (lookup("VESK_CLOUDKIT_PROBE")) {
        const CloudKitProbe probe{cloudContainerID, targets.cloudContainer};
        probe.run([guard, logLine = targets.log](const CloudKitProbe::Result& result) {
            // A failure's summary carries its detail already; a success's does not.
            if (guard && logLine)
                logLine(QStringLiteral("cloud probe: ") + result.summary() +
                        (result.roundTripSucceeded ? QStringLiteral(" — ") + result.detail : QString()));
        });
    }

    if (const auto demo = lookup("VESK_DEMO")) {
        const Date now = targets.now ? targets.now() : Date::now();
        if (const std::optional<ActivityPayload> payload = demoPayload(*demo, now)) {
            later(demoDelay, [targets, payload = *payload] {
                if (targets.submit) targets.submit(payload);
                if (targets.present) targets.present(payload);
            });
        }
    }

    if (const auto seed = lookup("VESK_SEED_TRAY")) {
        const QList<QUrl> entries = folderEntries(*seed);
        if (!entries.isEmpty()) {
            const qsizetype added = seedTray(targets, entries);
            log(targets,
                QStringLiteral("seeded tray with ") + QString::number(added) + QStringLiteral(" item(s)"));
        }
    }

    if (lookup("VESK_SETTINGS") && targets.openSettings)
        later(settingsDelay, [open = targets.openSettings] { open(); });

    if (const auto seed = lookup("VESK_SEED_TRAY")) {
        const qsizetype added = seedTray(targets, pathList(*seed));
        log(targets, QStringLiteral("seeded ") + QString::number(added) + QStringLiteral(" tray item(s)"));
    }

    if (lookup("VESK_REQUEST_CALENDAR") && targets.requestCalendarAccess)
        later(calendarDelay, [request = targets.requestCalendarAccess] { request(); });

    if (const auto open = lookup("VESK_OPEN")) {
        later(openDelay, [send = targets.sendToActiveModel, tray = *open == QStringLiteral("tray")] {
            if (!send) return;
            send(NotchEvent::click());
            if (tray) send(NotchEvent::selectTab(DeskTab::tray));
        });
    }
}

void seedTrayAfterSync(const Targets& targets, const Lookup& lookup) {
    const auto seed = lookup("VESK_SEED_TRAY");
    if (!seed) return;
    const QList<QUrl> paths = pathList(*seed);
    seedTray(targets, paths);
    log(targets, QStringLiteral("seeded tray: ") + QString::number(paths.size()) + QStringLiteral(" files"));
}

} // namespace vesk::DeveloperHooks
