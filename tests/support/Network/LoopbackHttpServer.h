#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>
#include <optional>

namespace vesk::test {

// A tiny HTTP/1.1 server on 127.0.0.1 for tests of our HTTP clients: never the network.
// Each request is answered by `respond`; an absent answer leaves the connection open
// without a reply (a stalled server).
class LoopbackHttpServer : public QObject {
    Q_OBJECT

public:
    struct Request {
        QByteArray method;
        // Path and query as sent.
        QByteArray target;
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray header(const QByteArray& name) const;
    };
    struct Reply {
        int status = 200;
        QByteArray body;
    };

    LoopbackHttpServer();
    QUrl url() const;
    // A base URL nobody listens on (the port was just freed).
    static QUrl refusedURL();

    std::function<std::optional<Reply>(const Request&)> respond;
    QList<Request> requests;

private:
    void serve(QTcpSocket* socket);
    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

} // namespace vesk::test
