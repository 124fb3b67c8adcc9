#include "support/Network/LoopbackHttpServer.h"

#include <QTcpSocket>

namespace vesk::test {

QByteArray LoopbackHttpServer::Request::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

LoopbackHttpServer::LoopbackHttpServer() {
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

QUrl LoopbackHttpServer::url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

QUrl LoopbackHttpServer::refusedURL() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
}

void LoopbackHttpServer::serve(QTcpSocket* socket) {
    // Requests here are GETs without a body: wait for the end of the headers.
    QByteArray& buffered = m_buffers[socket];
    buffered += socket->readAll();
    const qsizetype end = buffered.indexOf("\r\n\r\n");
    if (end < 0) return;
    const QList<QByteArray> lines = buffered.left(end).split('\n');
    buffered.clear();
    Request request;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            request.headers.append({lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed()});
    }
    requests.append(request);
    const std::optional<Reply> reply = respond ? respond(request) : Reply{404, {}};
    if (!reply) return;
    socket->write("HTTP/1.1 " + QByteArray::number(reply->status) +
                  " X\r\nContent-Type: application/json\r\n" + "Content-Length: " +
                  QByteArray::number(reply->body.size()) + "\r\nConnection: close\r\n\r\n" + reply->body);
    socket->disconnectFromHost();
}

} // namespace vesk::test
