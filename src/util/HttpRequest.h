#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// One HTTP request, the one way the program talks HTTP: open, a request
// header, send, a ready state that reaches 4 on completion (success, error
// page or failure alike), the response, and abort.
//
// The request owns everything a transfer needs to stay bounded and polite:
// - a time-out for the whole transfer (setTimeout), reported as TimedOut;
// - the cache headers: every request asks for the server's current answer
//   ("Cache-Control: no-cache", "Pragma: no-cache");
// - the body cap (64 MiB unless set), counted as the body arrives and after
//   any gzip or deflate inflation; the request is aborted the moment it
//   passes it, so memory stays bounded whatever the server sends;
// - the compression: bodies are asked for compressed (the network layer
//   offers and inflates gzip, deflate and what else it can) unless the
//   caller asks for the identity encoding, as a byte-exact download must;
// - a byte range (setRange), with the validator that makes it conditional.
// Redirects are followed up to 10 times, never from https to http. TLS is
// verified and every request carries "Quorvane/<version> (+<web address>)"
// as its User-Agent.
class HttpRequest : public QObject
{
    Q_OBJECT
public:
    enum ReadyState { Unsent = 0, Opened = 1, Sent = 2, Loading = 3, Done = 4 };
    static constexpr qint64 MaxBodyBytes = 64ll * 1024 * 1024;
    static constexpr int MaxRedirects = 10;

    // Why a request ended without a response to hand on.
    enum class Failure {
        None,
        BadAddress, // not an http or https address
        HostNotFound,
        ConnectionRefused,
        Certificate, // the server's certificate is not trusted or not valid
        TooManyRedirects,
        InsecureRedirect, // from https to plain http
        TooLarge, // the body passed the cap
        TimedOut, // no complete answer within the time-out
        Network, // any other failure of the connection
    };

    explicit HttpRequest(QObject *parent = nullptr);
    ~HttpRequest() override;

    void open(const QString &method, const QString &url);
    void setRequestHeader(const QString &name, const QString &value);
    // The longest a transfer may take from send() to its last byte; 0 (the
    // default) for no limit.
    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    int timeout() const { return m_timeout; }
    // The largest body taken (MaxBodyBytes by default).
    void setMaxBodyBytes(qint64 bytes) { m_maxBody = bytes; }
    qint64 maxBodyBytes() const { return m_maxBody; }
    // Asks for the body as it is stored, neither compressed nor inflated.
    void setIdentityEncoding(bool identity) { m_identity = identity; }
    // Asks for the body from byte `from` on (after open()); ifRange (an ETag or a
    // Last-Modified date) makes the server send the whole body instead when
    // it has changed. from 0 asks for no range.
    void setRange(qint64 from, const QByteArray &ifRange = QByteArray());
    void send();
    void abort();

    int readyState() const { return m_state; }
    // The HTTP status (0 when no response arrived) and its reason phrase.
    int status() const { return m_status; }
    QString reasonPhrase() const { return m_reason; }
    QByteArray responseBytes() const { return m_body; }
    // The body decoded by its declared charset (UTF-8 by default).
    QString responseText() const;
    // The charset named by the Content-Type header, if any.
    QString charset() const { return m_charset; }

    // Why the request failed (None once a response arrived, whatever its
    // status) and the details the network layer gave.
    Failure failure() const { return m_failure; }
    QString errorString() const { return m_error; }
    // The address the request ended at, after any redirects.
    QUrl lastUrl() const { return m_lastUrl; }
    // Where the address has moved for good: the target of the last of the
    // permanent redirects (301, 308) the request began with; empty when
    // its first answer was no permanent redirect.
    QUrl permanentUrl() const { return m_permanentUrl; }
    // A header of the response ("" when it has none).
    QByteArray responseHeader(const QByteArray &name) const;

signals:
    // Emitted once when the ready state reaches 4.
    void done();

private:
    void onFinished();
    void onReadyRead();
    void onMetaData();
    bool appendBody(const QByteArray &piece);
    void start(const QUrl &url);
    bool followRedirect(QNetworkReply *reply);
    // Ends the request as failed: no body, ready state 4.
    void fail(Failure failure, const QUrl &url, const QString &reason);
    void dropReply();
    void onTimeout();
    void stopTimer();

    QNetworkAccessManager *m_manager;
    QTimer *m_timer = nullptr;
    int m_timeout = 0;
    qint64 m_maxBody = MaxBodyBytes;
    bool m_identity = false;
    qint64 m_rangeFrom = 0;
    QByteArray m_ifRange;
    QPointer<QNetworkReply> m_reply;
    QString m_method;
    QUrl m_url;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    int m_state = Unsent;
    int m_status = 0;
    int m_redirects = 0;
    int m_attempt = 0; // tells a late event of an earlier attempt apart
    QByteArray m_body;
    QString m_charset;
    QString m_reason;
    Failure m_failure = Failure::None;
    QUrl m_lastUrl;
    QUrl m_permanentUrl;
    bool m_permanentSoFar = true; // every redirect so far was permanent
    QList<QPair<QByteArray, QByteArray>> m_responseHeaders;
    QString m_error;
    QStringList m_sslErrors;
};
