#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace vesk::http {

// What one GET came back with. `status` is 0 when no HTTP answer came (refused, name
// lookup, TLS, time-out); `error` says why.
struct Response {
    int status = 0;
    QByteArray body;
    int networkErrorCode = 0;
    QString error;
    // The reply grew past the cap and was cut off.
    bool tooLarge = false;

    bool isAnswer() const { return status != 0 && !tooLarge; }
};

inline constexpr int transferTimeoutMs = 15000;
inline constexpr qint64 replyCap = 1024 * 1024;

// An access manager for the program's lookups: the system's proxy settings, except that
// loopback addresses are always reached directly.
std::unique_ptr<QNetworkAccessManager> makeAccessManager(QObject* parent = nullptr);

// A GET with the time-out and the size cap above, answered on the calling (main) thread
// while `context` lives.
void get(QNetworkAccessManager& manager, const QUrl& url,
         const QList<std::pair<QByteArray, QByteArray>>& headers, QObject* context,
         std::function<void(const Response&)> done, int timeoutMs = transferTimeoutMs);

// The user agent the lookups send: "VeskNotch/<version>".
QByteArray userAgent();

} // namespace vesk::http
