#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>

// A small HTTP server on 127.0.0.1 for tests and benchmarks. Each path
// answers as configured: a status and body, after a delay, or never.
class LoopbackServer : public QObject
{
    Q_OBJECT
public:
    struct Route {
        int status = 200;
        QByteArray contentType = "application/rss+xml; charset=utf-8";
        QByteArray body;
        int delayMs = 0;
        bool silent = false; // accept the connection, never answer
        QByteArray location; // for redirects
    };

    explicit LoopbackServer(QObject *parent = nullptr);

    void route(const QString &path, const Route &route) { m_routes.insert(path, route); }
    void serve(const QString &path, const QByteArray &body,
        const QByteArray &contentType = "application/rss+xml; charset=utf-8");
    QString url(const QString &path) const;
    int hits(const QString &path) const { return m_hits.value(path); }
    quint16 port() const { return m_server.serverPort(); }
    // The request line and headers of the last request received.
    QByteArray lastRequestHead() const { return m_lastHead; }

signals:
    // A request for a path has arrived (before it is answered).
    void requestReceived(const QString &path);

private:
    void onConnection();
    void answer(class QTcpSocket *socket, const QString &path);

    QTcpServer m_server;
    QHash<QString, Route> m_routes;
    QHash<QString, int> m_hits;
    QByteArray m_lastHead;
};
