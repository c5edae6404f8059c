#include "support/LoopbackServer.h"

#include <QFile>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpSocket>
#include <QTimer>

namespace
{

QByteArray tlsFixture(const char *name)
{
    QFile file(QStringLiteral(QUORVANE_FIXTURES "/tls/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<QTcpServer> makeServer(LoopbackServer::Transport transport)
{
    if (transport == LoopbackServer::Transport::Plain)
        return std::make_unique<QTcpServer>();
    auto server = std::make_unique<QSslServer>();
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(tlsFixture("self-signed.crt")));
    tls.setPrivateKey(QSslKey(tlsFixture("self-signed.key"), QSsl::Rsa));
    server->setSslConfiguration(tls);
    return server;
}

// Sends the body again each time the last copy has left, for ever.
void sendEndlessly(QTcpSocket *socket, const QByteArray &piece)
{
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, piece] {
        if (socket->bytesToWrite() < piece.size())
            socket->write(piece);
    });
    socket->write(piece);
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 308:
        return "Permanent Redirect";
    case 410:
        return "Gone";
    case 429:
        return "Too Many Requests";
    case 404:
        return "Not Found";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

LoopbackServer::LoopbackServer(QObject *parent, Transport transport)
    : QObject(parent),
      m_server(makeServer(transport)),
      m_scheme(transport == Transport::Plain ? QStringLiteral("http") : QStringLiteral("https"))
{
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, &LoopbackServer::onConnection);
}

QString LoopbackServer::refusingUrl()
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    return QStringLiteral("http://127.0.0.1:%1/feed").arg(port);
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
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_scheme).arg(port()).arg(path);
}

void LoopbackServer::onConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
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

QByteArray LoopbackServer::lastRequestHeader(const QByteArray &name) const
{
    const QList<QByteArray> lines = m_lastHead.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

// A request that sends a route's validators back finds it unchanged.
static bool unchangedFor(
    const LoopbackServer::Route &r, const QByteArray &ifNoneMatch, const QByteArray &ifModifiedSince)
{
    return (!r.etag.isEmpty() && ifNoneMatch == r.etag)
        || (!r.lastModified.isEmpty() && ifNoneMatch.isEmpty() && ifModifiedSince == r.lastModified);
}

void LoopbackServer::answer(QTcpSocket *socket, const QString &path)
{
    Route notFound;
    notFound.status = 404;
    notFound.contentType = "text/html";
    notFound.body = "<html><body>Not Found</body></html>";
    Route r = m_routes.value(path, notFound);
    if (unchangedFor(r, lastRequestHeader("If-None-Match"), lastRequestHeader("If-Modified-Since"))) {
        r.status = 304;
        r.body.clear();
        r.contentEncoding.clear();
        m_notModified[path]++;
    }
    if (r.silent)
        return;
    QPointer<QTcpSocket> guard(socket);
    auto reply = [guard, r] {
        if (!guard)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + " " + reasonPhrase(r.status) + "\r\n";
        head += "Content-Type: " + r.contentType + "\r\n";
        if (!r.location.isEmpty())
            head += "Location: " + r.location + "\r\n";
        if (!r.contentEncoding.isEmpty())
            head += "Content-Encoding: " + r.contentEncoding + "\r\n";
        if (!r.etag.isEmpty())
            head += "ETag: " + r.etag + "\r\n";
        if (!r.lastModified.isEmpty())
            head += "Last-Modified: " + r.lastModified + "\r\n";
        for (const auto &header : r.headers)
            head += header.first + ": " + header.second + "\r\n";
        if (r.endless) {
            guard->write(head + "Connection: close\r\n\r\n");
            sendEndlessly(guard, r.body.isEmpty() ? QByteArray(64 * 1024, 'x') : r.body);
            return;
        }
        head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
        head += "Connection: keep-alive\r\n\r\n";
        guard->write(head + r.body);
    };
    if (r.held)
        m_held[path].append(reply);
    else if (r.delayMs > 0)
        QTimer::singleShot(r.delayMs, socket, reply);
    else
        reply();
}

void LoopbackServer::release(const QString &path)
{
    m_routes[path].held = false;
    const QList<std::function<void()>> waiting = m_held.take(path);
    for (const auto &reply : waiting)
        reply();
}
