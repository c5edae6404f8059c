#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <functional>
#include <memory>

// A small HTTP server on 127.0.0.1 for tests and benchmarks. Each path
// answers as configured: a status and body, after a delay, when released,
// endlessly, or never; over plain HTTP or over TLS with a self-signed certificate.
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
        bool endless = false; // the body is sent over and over, without end
        QByteArray contentEncoding; // "gzip" for a body given compressed
        bool held = false; // answers wait until release()
        // Further response headers, e.g. {"Retry-After", "120"}.
        QList<QPair<QByteArray, QByteArray>> headers;
        // Validators: sent with the answer, and a request that sends them
        // back (If-None-Match / If-Modified-Since) gets "304 Not Modified".
        QByteArray etag;
        QByteArray lastModified;
    };

    enum class Transport { Plain, SelfSignedTls };

    explicit LoopbackServer(QObject *parent = nullptr, Transport transport = Transport::Plain);

    void route(const QString &path, const Route &route) { m_routes.insert(path, route); }
    void serve(const QString &path, const QByteArray &body,
        const QByteArray &contentType = "application/rss+xml; charset=utf-8");
    QString url(const QString &path) const;
    // Sends the answers a held path kept back, and answers at once from now on.
    void release(const QString &path);
    int hits(const QString &path) const { return m_hits.value(path); }
    quint16 port() const { return m_server->serverPort(); }
    // The address of a port on which nothing listens.
    static QString refusingUrl();
    // The request line and headers of the last request received.
    QByteArray lastRequestHead() const { return m_lastHead; }
    // A header of the last request received ("" when it had none).
    QByteArray lastRequestHeader(const QByteArray &name) const;
    // How many requests for a path were answered "304 Not Modified".
    int notModified(const QString &path) const { return m_notModified.value(path); }

signals:
    // A request for a path has arrived (before it is answered).
    void requestReceived(const QString &path);

private:
    void onConnection();
    void answer(class QTcpSocket *socket, const QString &path);

    std::unique_ptr<QTcpServer> m_server;
    QString m_scheme;
    QHash<QString, Route> m_routes;
    QHash<QString, int> m_hits;
    QHash<QString, int> m_notModified;
    QHash<QString, QList<std::function<void()>>> m_held;
    QByteArray m_lastHead;
};
