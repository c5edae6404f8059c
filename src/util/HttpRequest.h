#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// One HTTP GET with the shape the feed code relies on: open, a request
// header, send, a ready state that reaches 4 on completion (success, error
// page or failure alike), the response, and abort.
//
// Redirects are followed up to 10 times, bodies over 64 MiB are refused,
// TLS is verified and every request carries "Quorvane/<version>" as its
// User-Agent.
class HttpRequest : public QObject
{
    Q_OBJECT
public:
    enum ReadyState { Unsent = 0, Opened = 1, Sent = 2, Loading = 3, Done = 4 };
    static constexpr qint64 MaxBodyBytes = 64ll * 1024 * 1024;
    static constexpr int MaxRedirects = 10;

    explicit HttpRequest(QObject *parent = nullptr);
    ~HttpRequest() override;

    void open(const QString &method, const QString &url);
    void setRequestHeader(const QString &name, const QString &value);
    void send();
    void abort();

    int readyState() const { return m_state; }
    // The HTTP status (0 when no response arrived).
    int status() const { return m_status; }
    QByteArray responseBytes() const { return m_body; }
    // The body decoded by its declared charset (UTF-8 by default).
    QString responseText() const;
    // The charset named by the Content-Type header, if any.
    QString charset() const { return m_charset; }
    // Why the request failed, or empty.
    QString errorString() const { return m_error; }

signals:
    // Emitted once when the ready state reaches 4.
    void done();

private:
    void onFinished();
    void onReadyRead();
    void start(const QUrl &url);
    bool followRedirect(QNetworkReply *reply);
    // Ends the request as failed: no body, ready state 4.
    void fail(const QString &reason);

    QNetworkAccessManager *m_manager;
    QPointer<QNetworkReply> m_reply;
    QString m_method;
    QUrl m_url;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    int m_state = Unsent;
    int m_status = 0;
    int m_redirects = 0;
    QByteArray m_body;
    QString m_charset;
    QString m_error;
};
