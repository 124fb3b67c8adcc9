#include "VeskSync/SyncCoordinator.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskSync/CloudMirror.h"
#include "VeskSync/ModelContainer.h"

#include <QPointer>

namespace vesk {

namespace {

constexpr int accountAttempts = 3;

} // namespace

QString SyncCoordinator::PushRegistration::description() const {
    switch (kind) {
    case Kind::pending:
        return QStringLiteral("pending");
    case Kind::registered:
        return QStringLiteral("registered");
    case Kind::failed:
        return QStringLiteral("failed(\"") + error + QStringLiteral("\")");
    }
    return {};
}

SyncCoordinator::SyncCoordinator(QString containerID, std::shared_ptr<CloudContainer> cloud,
                                 QString storePath, QObject* parent)
    : QObject(parent), m_containerID(std::move(containerID)), m_cloud(std::move(cloud)),
      m_storePath(std::move(storePath)) {}

SyncCoordinator::~SyncCoordinator() {
    stop();
}

void SyncCoordinator::start(bool syncEnabled, std::function<void()> done) {
    const auto finish = [done] {
        if (done) done();
    };
    if (!m_cloud->isEntitled()) {
        setContainer(makeContainer(false));
        // The layer says why there is no cloud here.
        const std::optional<CloudError> reason = m_cloud->prepare();
        setContainerError(reason ? std::make_optional(reason->description) : std::nullopt);
        setStatus(SyncStatus::unavailable(SyncUnavailability::containerUnavailable));
        return finish();
    }
    setContainer(makeContainer(syncEnabled));
    if (!syncEnabled) {
        setStatus(SyncStatus::unavailable(SyncUnavailability::disabled));
        return finish();
    }
    const QPointer<SyncCoordinator> self(this);
    refreshAccountStatus([self, finish] {
        if (self) {
            self->observeSyncEvents();
            self->observeAccountChanges();
        }
        finish();
    });
}

std::shared_ptr<ModelContainer> SyncCoordinator::openStore(const QString& path) {
    QString error;
    auto container = ModelContainer::open(path, &error);
    const std::optional<QString> storeError = container ? std::nullopt : std::make_optional(error);
    if (container) connect(container.get(), &ModelContainer::recovered, this, &SyncCoordinator::storeChanged);
    if (storeError != m_storeError || (container && container->recovery())) {
        m_storeError = storeError;
        Q_EMIT storeChanged();
    }
    return container;
}

std::optional<QString> SyncCoordinator::storeNotice() const {
    if (m_storeError)
        return QStringLiteral("Your to-dos, notes and shortcuts can't be opened right now (%1). VeskNotch "
                              "tries again when the Desk opens.")
            .arg(*m_storeError);
    const std::optional<StoreRecovery> recovery = m_container ? m_container->recovery() : std::nullopt;
    if (!recovery) return std::nullopt;
    return QStringLiteral("The store could not be used (%1). It was kept as %2, and %3 of its rows were "
                          "carried into a new store.")
        .arg(recovery->reason, recovery->asidePath)
        .arg(recovery->rowsCarried);
}

bool SyncCoordinator::retryStore() {
    if (m_container) return true;
    if (!m_storeError) return false; // not started yet
    auto container = makeContainer(m_wantsCloud);
    if (!container) return false;
    TraceLog::trace(QStringLiteral("store: opened on a later try"));
    setContainer(std::move(container));
    return true;
}

std::shared_ptr<ModelContainer> SyncCoordinator::makeContainer(bool cloudKit) {
    const QString path = m_storePath.isEmpty() ? storeURL() : m_storePath;
    m_wantsCloud = cloudKit;
    migrateLegacyStoreIfNeeded(path);
    if (cloudKit) {
        if (const std::optional<CloudError> refused = m_cloud->prepare()) {
            setContainerError(refused->description);
        } else if (auto container = openStore(path)) {
            m_mirror = std::make_unique<CloudMirror>(container, m_cloud);
            setIsLocalOnly(false);
            setContainerError(std::nullopt);
            return container;
        } else {
            setContainerError(m_storeError);
        }
    }
    setIsLocalOnly(true);
    return openStore(path);
}

void SyncCoordinator::refreshAccountStatus(std::function<void()> done) {
    if (m_isLocalOnly) {
        setStatus(SyncStatus::unavailable(SyncUnavailability::containerUnavailable));
        if (done) done();
        return;
    }
    attempt(0, std::move(done));
}

void SyncCoordinator::attempt(int number, std::function<void()> done) {
    const QPointer<SyncCoordinator> self(this);
    m_cloud->accountStatus([self, number, done](CloudContainer::AccountStatusResult result) {
        if (!self) return;
        bool settled = false;
        if (const int* answer = std::get_if<int>(&result)) {
            self->setAccountError(std::nullopt);
            settled = true;
            switch (*answer) {
            case CloudContainer::available:
                self->setStatus(SyncStatus::idle(self->lastSyncDate()));
                break;
            case CloudContainer::restricted:
                self->setStatus(SyncStatus::unavailable(SyncUnavailability::restricted));
                break;
            case CloudContainer::noAccount:
                self->setStatus(SyncStatus::unavailable(SyncUnavailability::signedOut));
                break;
            default:
                settled = false;
            }
        } else {
            self->setAccountError(std::get<CloudError>(result).description);
        }
        if (!settled && number + 1 < accountAttempts) {
            onMainAfter(double(1 << (number + 1)), [self, number, done] {
                if (self) self->attempt(number + 1, done);
            });
            return;
        }
        if (!settled) self->setStatus(SyncStatus::unavailable(SyncUnavailability::containerUnavailable));
        if (done) done();
    });
}

void SyncCoordinator::observeSyncEvents() {
    if (!m_mirror) return;
    const QPointer<SyncCoordinator> self(this);
    m_mirror->setOnEvent([self](const SyncEvent& event) {
        if (self) self->handleSyncEvent(event);
    });
}

void SyncCoordinator::observeAccountChanges() {
    const QPointer<SyncCoordinator> self(this);
    m_cloud->setOnAccountChanged([self] {
        if (self) self->refreshAccountStatus();
    });
}

void SyncCoordinator::stop() {
    if (m_mirror) m_mirror->setOnEvent({});
    m_cloud->setOnAccountChanged({});
}

void SyncCoordinator::handleSyncEvent(const SyncEvent& event) {
    const bool quota =
        !event.succeeded && event.error && event.error->code == CloudContainer::quotaExceededCode;
    if (quota) {
        setStatus(SyncStatus::unavailable(SyncUnavailability::quotaExceeded));
    } else if (event.endDate) {
        // Only a sync that worked counts as the last one.
        if (event.succeeded)
            UserDefaults::standard().setDouble(QString::fromLatin1(lastSyncDateKey),
                                               event.endDate->secondsSinceReferenceDate);
        setStatus(SyncStatus::idle(lastSyncDate()));
    } else {
        setStatus(SyncStatus::syncing());
    }
}

std::optional<Date> SyncCoordinator::lastSyncDate() const {
    const auto stored = UserDefaults::standard().object(QString::fromLatin1(lastSyncDateKey));
    if (!stored || (stored->typeId() != QMetaType::Double && stored->typeId() != QMetaType::LongLong))
        return std::nullopt;
    return Date{stored->toDouble()};
}

void SyncCoordinator::notePushRegistration(const PushRegistration& push) {
    if (m_push == push) return;
    m_push = push;
    Q_EMIT pushChanged();
}

void SyncCoordinator::setStatus(const SyncStatus& status) {
    if (m_status == status) return;
    m_status = status;
    Q_EMIT statusChanged();
}

void SyncCoordinator::setContainer(std::shared_ptr<ModelContainer> container) {
    if (m_container == container) return;
    m_container = std::move(container);
    Q_EMIT containerChanged();
}

void SyncCoordinator::setIsLocalOnly(bool localOnly) {
    if (m_isLocalOnly == localOnly) return;
    m_isLocalOnly = localOnly;
    Q_EMIT isLocalOnlyChanged();
}

void SyncCoordinator::setContainerError(const std::optional<QString>& error) {
    if (m_containerError == error) return;
    m_containerError = error;
    Q_EMIT containerErrorChanged();
}

void SyncCoordinator::setAccountError(const std::optional<QString>& error) {
    if (m_accountError == error) return;
    m_accountError = error;
    Q_EMIT accountErrorChanged();
}

} // namespace vesk
