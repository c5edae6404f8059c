#include "support/LoopbackServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

LoopbackServer::LoopbackServer(QObject *parent) : QObject(parent)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackServer::onConnection);
}

void LoopbackServer::serve(const QString &path, const QByteArray &body, const QByteArray &contentType)
{
    Route r;
    r.body = body;
    r.contentType = contentType;
    route(path, r);
}

QString LoopbackServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LoopbackServer::onConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const int end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            m_lastHead = buffer->left(end);
            const QList<QByteArray> parts = buffer->left(buffer->indexOf("\r\n")).split(' ');
            buffer->clear();
            const QString path = parts.size() > 1 ? QString::fromLatin1(parts[1]) : QStringLiteral("/");
            m_hits[path]++;
            emit requestReceived(path);
            answer(socket, path);
        });
    }
}

void LoopbackServer::answer(QTcpSocket *socket, const QString &path)
{
    Route notFound;
    notFound.status = 404;
    notFound.contentType = "text/html";
    notFound.body = "<html><body>Not Found</body></html>";
    const Route r = m_routes.value(path, notFound);
    if (r.silent)
        return;
    QPointer<QTcpSocket> guard(socket);
    auto reply = [guard, r] {
        if (!guard)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + " X\r\n";
        head += "Content-Type: " + r.contentType + "\r\n";
        if (!r.location.isEmpty())
            head += "Location: " + r.location + "\r\n";
        head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
        head += "Connection: keep-alive\r\n\r\n";
        guard->write(head + r.body);
    };
    if (r.delayMs > 0)
        QTimer::singleShot(r.delayMs, socket, reply);
    else
        reply();
}
