#include "Vesk/Shell/SyncStartup.h"

#include "Vesk/Shell/NotchSurface.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskServices/Shortcuts/ShortcutSeeder.h"
#include "VeskSync/Deduplicator.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/JSONMigration.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskSync/SyncCoordinator.h"

#include <QPointer>

namespace vesk {

namespace {

void setSeeded() {
    UserDefaults::standard().setBool(QString::fromLatin1(SyncStartup::hasSeededShortcutsKey), true);
}

} // namespace

SyncStartup::SyncStartup(Parts parts, QObject* parent) : QObject(parent), m_parts(std::move(parts)) {}

SyncStartup::~SyncStartup() {
    // The models hold it weakly; let them forget it first.
    if (m_repository && m_parts.surface.repository() == m_repository.get())
        m_parts.surface.setRepository(nullptr);
}

void SyncStartup::log(const QString& line) const {
    if (m_parts.log) m_parts.log(line);
}

void SyncStartup::run() {
    const QPointer<SyncStartup> self(this);
    m_parts.sync.start(m_parts.syncEnabled, [self] {
        if (self) self->started();
    });
}

void SyncStartup::started() {
    SyncCoordinator& sync = m_parts.sync;
    log(QStringLiteral("sync: ") + sync.status().summary(sync.containerError()) +
        QStringLiteral(", localOnly=") +
        (sync.isLocalOnly() ? QStringLiteral("true") : QStringLiteral("false")) +
        QStringLiteral(", accountError=") + sync.accountError().value_or(QStringLiteral("none")));
    const std::shared_ptr<ModelContainer> container = sync.container();
    if (!container) {
        if (!sync.storeError()) return;
        // The widgets say why and keep what the user types; the Desk opening and each
        // edit ask for the store again.
        m_repository = std::make_unique<DeskRepository>(nullptr, m_parts.deviceID);
        const QPointer<SyncStartup> self(this);
        const auto reason = [self] {
            if (!self || !self->m_parts.sync.storeError()) return;
            QString cause = self->m_parts.sync.storeError()->section(QStringLiteral(": "), -1);
            if (!cause.isEmpty()) cause[0] = cause[0].toUpper();
            self->m_repository->setUnavailable(cause + QLatin1Char('.'));
        };
        reason();
        connect(&sync, &SyncCoordinator::storeChanged, this, reason);
        connect(&sync, &SyncCoordinator::containerChanged, this, &SyncStartup::storeArrived);
        m_repository->setReopen([self] {
            if (self) self->m_parts.sync.retryStore();
        });
        handOver();
        return;
    }
    importOnce(container);
    m_repository =
        std::make_unique<DeskRepository>(std::make_shared<ModelContext>(container), m_parts.deviceID);
    handOver();
    withStore();
}

void SyncStartup::importOnce(const std::shared_ptr<ModelContainer>& container) {
    ModelContext context(container);
    const JSONMigration migration{QStringLiteral("Vesk"), m_parts.deviceID};
    const auto summary = migration.run(context, false);
    if (summary && !summary->isEmpty())
        log(QStringLiteral("migrated todos=%1 notes=%2 shortcuts=%3 total=%4")
                .arg(summary->todos)
                .arg(summary->notes)
                .arg(summary->shortcuts)
                .arg(summary->total()));
}

void SyncStartup::handOver() {
    m_parts.surface.setRepository(m_repository.get());
    if (m_parts.repositoryReady) m_parts.repositoryReady();
    if (m_parts.seedTray) m_parts.seedTray();
}

// Runs inside the edit or the Desk opening that asked for the store, before it goes on.
void SyncStartup::storeArrived() {
    const std::shared_ptr<ModelContainer> container = m_parts.sync.container();
    if (!container || !m_repository || m_repository->hasStore()) return;
    importOnce(container);
    m_repository->attach(std::make_shared<ModelContext>(container));
    withStore();
}

void SyncStartup::withStore() {
    seedShortcutsIfNeeded();
    const QPointer<SyncStartup> self(this);
    onMainAfter(collapseDelay, [self] {
        if (self) self->collapseDuplicates();
    });
}

void SyncStartup::seedShortcutsIfNeeded() {
    if (UserDefaults::standard().boolValue(QString::fromLatin1(hasSeededShortcutsKey))) return;
    DeskRepository* repository = m_parts.surface.repository();
    if (!repository) return;
    if (!repository->shortcuts().isEmpty()) return setSeeded();
    if (!m_parts.availableShortcuts) return seed({});
    const QPointer<SyncStartup> self(this);
    m_parts.availableShortcuts(this, [self](const QStringList& available) {
        if (self) self->seed(available);
    });
}

void SyncStartup::seed(const QStringList& available) {
    const QList<ShortcutEntry> entries = ShortcutSeeder::seed(available, {});
    DeskRepository* repository = m_parts.surface.repository();
    // Shortcuts that arrived meanwhile (from another computer) are the user's choice.
    if (!repository || !repository->shortcuts().isEmpty()) return setSeeded();
    QList<std::pair<QString, QString>> chosen;
    for (const ShortcutEntry& entry : entries)
        chosen.append({entry.shortcutName, entry.symbol});
    // One commit that first looks again: another copy starting beside this one may have
    // seeded them already.
    const bool added = repository->addShortcutsIfNone(chosen);
    repository->reloadFromStore();
    if (!added) {
        // Unless the store could not be written: the next launch tries again.
        if (!repository->shortcuts().isEmpty()) setSeeded();
        return;
    }
    setSeeded();
    log(QStringLiteral("seeded %1 shortcut(s) from %2 available").arg(entries.size()).arg(available.size()));
}

void SyncStartup::collapseDuplicates() {
    const std::shared_ptr<ModelContainer> container = m_parts.sync.container();
    if (!container) return;
    ModelContext context(container);
    const auto summary = Deduplicator().run(context);
    if (!summary || summary->isEmpty()) return;
    log(QStringLiteral("deduped %1 duplicate row(s)").arg(summary->total()));
    // Reloading (not only re-reading) lets the repository's context let go of the rows
    // that went and follow the revisions that moved to the kept note.
    if (DeskRepository* repository = m_parts.surface.repository()) repository->reloadFromStore();
}

} // namespace vesk
