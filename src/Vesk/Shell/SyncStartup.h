#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace vesk {

class DeskRepository;
class ModelContainer;
class NotchSurface;
class SyncCoordinator;

// The synced store's start at launch, as chained main-thread steps: start sync and
// trace its state; with a store, import the older files once, build the repository
// and hand it to the notch, seed shortcuts on the first run, read VESK_SEED_TRAY a
// third time, and 8 s later collapse duplicate rows. Launching does not wait for it.
// A store that cannot be opened (another program holds it) still gets a repository,
// which says why and asks for the store again; the steps that need the store run once
// it opens.
class SyncStartup : public QObject {
    Q_OBJECT

public:
    static constexpr double collapseDelay = 8.0;
    static constexpr const char* hasSeededShortcutsKey = "hasSeededShortcuts";

    struct Parts {
        SyncCoordinator& sync;
        NotchSurface& surface;
        bool syncEnabled = true;
        QString deviceID;
        // The names of the user's shortcuts, handed to `done` later while `context`
        // lives; none known when empty.
        std::function<void(QObject* context, std::function<void(QStringList)> done)> availableShortcuts;
        // VESK_SEED_TRAY's third reading.
        std::function<void()> seedTray;
        // A line for the diagnostics trace.
        std::function<void(const QString&)> log;
        // The repository was handed to the notch (windows that show it read it again).
        std::function<void()> repositoryReady;
    };

    explicit SyncStartup(Parts parts, QObject* parent = nullptr);
    ~SyncStartup() override;

    void run();
    // The one repository, once built; owned here.
    DeskRepository* repository() const { return m_repository.get(); }

private:
    void started();
    void handOver();
    void storeArrived();
    void withStore();
    void importOnce(const std::shared_ptr<ModelContainer>& container);
    void seedShortcutsIfNeeded();
    void seed(const QStringList& available);
    void collapseDuplicates();
    void log(const QString& line) const;

    Parts m_parts;
    std::unique_ptr<DeskRepository> m_repository;
};

} // namespace vesk
