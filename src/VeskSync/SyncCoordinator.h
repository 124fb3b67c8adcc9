#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskPlatform/Cloud/CloudContainer.h"
#include "VeskSync/SyncStatus.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class CloudMirror;
class ModelContainer;

// One export to or import from the cloud, as the mirror reports it: started (no end
// date) or finished.
struct SyncEvent {
    std::optional<Date> endDate;
    bool succeeded = false;
    std::optional<CloudError> error;
};

// Owns the synced store's container and says whether cloud sync works and why not.
// Made once by the shell, which starts it, makes its contexts from `container()`, and
// shows its status. On a system without a cloud it builds a local store and says so.
// Fields signal only when they change. Main thread only.
class SyncCoordinator : public QObject {
    Q_OBJECT

public:
    struct PushRegistration {
        enum class Kind { pending, registered, failed };
        Kind kind = Kind::pending;
        QString error; // failed only

        static PushRegistration registered() { return {Kind::registered, {}}; }
        static PushRegistration failed(QString error) { return {Kind::failed, std::move(error)}; }
        // "pending", "registered" or failed("<error>").
        QString description() const;
        friend bool operator==(const PushRegistration&, const PushRegistration&) = default;
    };

    // The user-defaults key of the last successful sync's end, seconds since 2001.
    static constexpr const char* lastSyncDateKey = "lastSyncDate";

    // `storePath` empty: storeURL().
    SyncCoordinator(QString containerID, std::shared_ptr<CloudContainer> cloud, QString storePath = {},
                    QObject* parent = nullptr);
    ~SyncCoordinator() override;

    // "$XDG_DATA_HOME/Vesk/Vesk.store"; makes the folder when it is missing.
    static QString storeURL();
    // Moves "$XDG_DATA_HOME/default.store" (with "default_ckAssets") to `target` once,
    // when nothing of the store at `target` exists yet, the old file is one of our
    // stores, and its log can be folded into it first. Anything else stays where it is.
    // Never fails.
    static void migrateLegacyStoreIfNeeded(const QString& target);

    const QString& containerID() const { return m_containerID; }
    const SyncStatus& status() const { return m_status; }
    // None until started, and when no store could be opened.
    const std::shared_ptr<ModelContainer>& container() const { return m_container; }
    bool isLocalOnly() const { return m_isLocalOnly; }
    const std::optional<QString>& containerError() const { return m_containerError; }
    const PushRegistration& push() const { return m_push; }
    const std::optional<QString>& accountError() const { return m_accountError; }
    // Why the store could not be opened; none once it is open.
    const std::optional<QString>& storeError() const { return m_storeError; }
    // A sentence for the user about the store: why it cannot be opened now, or what was
    // done with a damaged one and where the old file lies; none while all is well.
    std::optional<QString> storeNotice() const;
    // The mirror of a cloud-backed store; null for a local one.
    CloudMirror* mirror() const { return m_mirror.get(); }

    // Builds the store once and settles the status; `done` runs when that is known
    // (after the first account check when one runs).
    void start(bool syncEnabled, std::function<void()> done = {});
    // Tries once more to open a store that could not be opened (waiting at most the
    // busy time-out); true when there is a store. Asked only on the user's own steps (the
    // Desk opening, an edit), never on a timer.
    bool retryStore();
    // Asks the cloud for the account up to three times, 2 s and then 4 s apart.
    void refreshAccountStatus(std::function<void()> done = {});
    void notePushRegistration(const PushRegistration& push);
    // Stops following sync events and account changes.
    void stop();
    // What an export or import of the mirror did.
    void handleSyncEvent(const SyncEvent& event);

Q_SIGNALS:
    void statusChanged();
    void containerChanged();
    void isLocalOnlyChanged();
    void containerErrorChanged();
    void pushChanged();
    void accountErrorChanged();
    // storeError() or storeNotice() changed.
    void storeChanged();

private:
    std::shared_ptr<ModelContainer> makeContainer(bool cloudKit);
    std::shared_ptr<ModelContainer> openStore(const QString& path);
    void attempt(int number, std::function<void()> done);
    void observeSyncEvents();
    void observeAccountChanges();
    std::optional<Date> lastSyncDate() const;

    void setStatus(const SyncStatus& status);
    void setContainer(std::shared_ptr<ModelContainer> container);
    void setIsLocalOnly(bool localOnly);
    void setContainerError(const std::optional<QString>& error);
    void setAccountError(const std::optional<QString>& error);

    QString m_containerID;
    std::shared_ptr<CloudContainer> m_cloud;
    QString m_storePath;
    SyncStatus m_status;
    std::shared_ptr<ModelContainer> m_container;
    bool m_isLocalOnly = false;
    std::optional<QString> m_containerError;
    PushRegistration m_push;
    std::optional<QString> m_accountError;
    std::unique_ptr<CloudMirror> m_mirror;
    std::optional<QString> m_storeError;
    bool m_wantsCloud = false;
};

} // namespace vesk
