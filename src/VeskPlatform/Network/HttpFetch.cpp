#include "VeskPlatform/Network/HttpFetch.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace vesk::http {

namespace {

class LoopbackDirectProxies final : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        const QString host = query.peerHostName();
        if (host == QLatin1String("localhost") || QHostAddress(host).isLoopback())
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        return systemProxyForQuery(query);
    }
};

} // namespace

std::unique_ptr<QNetworkAccessManager> makeAccessManager(QObject* parent) {
    auto manager = std::make_unique<QNetworkAccessManager>(parent);
    manager->setProxyFactory(new LoopbackDirectProxies);
    return manager;
}

QByteArray userAgent() {
    const QString version = QCoreApplication::applicationVersion();
    return "VeskNotch/" + (version.isEmpty() ? QByteArray("1.0") : version.toUtf8()) +
           " (Linux desktop notch utility)";
}

void get(QNetworkAccessManager& manager, const QUrl& url,
         const QList<std::pair<QByteArray, QByteArray>>& headers, QObject* context,
         std::function<void(const Response&)> done, int timeoutMs) {
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply* reply = manager.get(request);
    auto tooLarge = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, tooLarge](qint64 received, qint64) {
                         if (received <= replyCap || *tooLarge) return;
                         *tooLarge = true;
                         reply->abort();
                     });
    QPointer<QObject> guard(context);
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [reply, tooLarge, guard, done = std::move(done)] {
                         reply->deleteLater();
                         if (!guard) return;
                         Response response;
                         response.tooLarge = *tooLarge;
                         response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                         if (reply->error() != QNetworkReply::NoError && response.status == 0) {
                             response.networkErrorCode = int(reply->error());
                             response.error = reply->errorString();
                         } else if (!response.tooLarge) {
                             response.body = reply->readAll();
                         }
                         if (response.tooLarge)
                             response.error = QStringLiteral("the reply is larger than 1 MiB");
                         done(response);
                     });
}

} // namespace vesk::http
