#include "support/HostileServers.h"

#include "support/Gzip.h"
#include "util/HttpRequest.h"

#include <QTcpSocket>

HostileServers::HostileServers() : m_tls(nullptr, LoopbackServer::Transport::SelfSignedTls)
{
    m_tls.serve(QStringLiteral("/feed"), "<rss/>");
    LoopbackServer::Route r;
    r.status = 302;
    r.location = "/loop";
    m_plain.route(QStringLiteral("/loop"), r);
    r = {};
    r.endless = true;
    m_plain.route(QStringLiteral("/endless"), r);
    r = {};
    static const QByteArray bomb = gzipZeros(HttpRequest::MaxBodyBytes + 1);
    r.body = bomb;
    r.contentEncoding = "gzip";
    m_plain.route(QStringLiteral("/bomb"), r);
    r = {};
    r.status = 503;
    m_plain.route(QStringLiteral("/unavailable"), r);
    m_hangup.listen(QHostAddress::LocalHost);
    QObject::connect(&m_hangup, &QTcpServer::newConnection, &m_hangup, [this] {
        while (QTcpSocket *socket = m_hangup.nextPendingConnection()) {
            socket->close();
            socket->deleteLater();
        }
    });
}

QString HostileServers::url(Kind kind) const
{
    switch (kind) {
    case Kind::Refused:
        return LoopbackServer::refusingUrl();
    case Kind::UnknownHost:
        return QStringLiteral("http://quorvane-test.invalid/feed");
    case Kind::Untrusted:
        return m_tls.url(QStringLiteral("/feed"));
    case Kind::RedirectLoop:
        return m_plain.url(QStringLiteral("/loop"));
    case Kind::Endless:
        return m_plain.url(QStringLiteral("/endless"));
    case Kind::GzipBomb:
        return m_plain.url(QStringLiteral("/bomb"));
    case Kind::ErrorWithoutBody:
        return m_plain.url(QStringLiteral("/unavailable"));
    case Kind::NotWeb:
        return QStringLiteral("ftp://127.0.0.1/feed");
    case Kind::Hangup:
        return QStringLiteral("http://127.0.0.1:%1/feed").arg(m_hangup.serverPort());
    }
    return QString();
}
