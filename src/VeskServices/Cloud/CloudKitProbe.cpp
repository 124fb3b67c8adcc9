#include "VeskServices/Cloud/CloudKitProbe.h"

#include "VeskKit/Foundation/Scheduler.h"

#include <QDateTime>
#include <QUuid>

namespace vesk {

namespace {

QString describe(const CloudError& error) {
    if (!error.code) return error.description;
    return QStringLiteral("CKError ") + QString::number(*error.code) + QStringLiteral(": ") +
           error.description;
}

} // namespace

QString CloudKitProbe::Result::summary() const {
    if (roundTripSucceeded)
        return QStringLiteral("✅ Cloud reachable (account: ") + accountStatus + QLatin1Char(')');
    return QStringLiteral("❌ Cloud unreachable — ") + detail;
}

QString CloudKitProbe::accountStatusWords(int status) {
    switch (status) {
    case CloudContainer::couldNotDetermine:
        return QStringLiteral("could not determine");
    case CloudContainer::restricted:
        return QStringLiteral("restricted");
    case CloudContainer::noAccount:
        return QStringLiteral("no account");
    case CloudContainer::temporarilyUnavailable:
        return QStringLiteral("temporarily unavailable");
    default:
        return QStringLiteral("unknown");
    }
}

void CloudKitProbe::run(std::function<void(Result)> done) const {
    const std::shared_ptr<CloudContainer> cloud = container ? container : makeCloudContainer(containerID);
    auto finish = [done = std::move(done)](Result result) { onMain([done, result] { done(result); }); };

    if (!cloud->isEntitled()) {
        // Nothing here ties a cloud database to the program's signature: the layer's own
        // reason says so, as the sync card does.
        finish({QStringLiteral("unentitled"), false,
                QStringLiteral("There is no private cloud database on this system.")});
        return;
    }
    cloud->accountStatus([cloud, finish](CloudContainer::AccountStatusResult status) {
        if (const auto* error = std::get_if<CloudError>(&status)) {
            finish({QStringLiteral("error"), false,
                    QStringLiteral("accountStatus failed: ") + error->description});
            return;
        }
        const int raw = std::get<int>(status);
        if (raw != CloudContainer::available) {
            const QString words = accountStatusWords(raw);
            finish({words, false, QStringLiteral("the cloud account is ") + words});
            return;
        }
        const QString available = QStringLiteral("available");
        CloudRecord record{QStringLiteral("VeskProbe"),
                           QStringLiteral("vesk-probe-") +
                               QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(),
                           {{QStringLiteral("stamp"), QDateTime::currentDateTimeUtc()}}};
        const QString name = record.recordName;
        cloud->save(record, [cloud, finish, name, available](std::optional<CloudError> saveError) {
            if (saveError) {
                finish({available, false, describe(*saveError)});
                return;
            }
            cloud->fetch(name, [cloud, finish, name, available](std::optional<CloudError> fetchError) {
                if (fetchError) {
                    finish({available, false, describe(*fetchError)});
                    return;
                }
                // A record left behind by a failed delete is harmless; the round trip worked.
                cloud->remove(name, [finish, available](std::optional<CloudError>) {
                    finish({available, true, QStringLiteral("write + read + delete succeeded")});
                });
            });
        });
    });
}

} // namespace vesk
