#include "util/HttpRequest.h"

#include "util/AppInfo.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSslError>
#include <QStringDecoder>
#include <QTimer>

namespace
{

// What the network layer may hold of a body before we read it.
constexpr qint64 ReadBufferBytes = 256 * 1024;

// One manager per thread keeps connections alive between requests.
QNetworkAccessManager *threadManager()
{
    static thread_local QNetworkAccessManager *manager = nullptr;
    if (!manager) {
        manager = new QNetworkAccessManager();
        manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    return manager;
}

QString charsetOf(const QByteArray &contentType)
{
    static const QRegularExpression pattern(
        QStringLiteral("charset\\s*=\\s*\"?([^\";\\s]+)"), QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(QString::fromLatin1(contentType));
    return match.hasMatch() ? match.captured(1) : QString();
}

// The failure a finished reply without an HTTP response stands for.
HttpRequest::Failure failureOf(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return HttpRequest::Failure::HostNotFound;
    case QNetworkReply::ConnectionRefusedError:
        return HttpRequest::Failure::ConnectionRefused;
    case QNetworkReply::SslHandshakeFailedError:
        return HttpRequest::Failure::Certificate;
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
        return HttpRequest::Failure::BadAddress;
    case QNetworkReply::TooManyRedirectsError:
        return HttpRequest::Failure::TooManyRedirects;
    case QNetworkReply::InsecureRedirectError:
        return HttpRequest::Failure::InsecureRedirect;
    default:
        return HttpRequest::Failure::Network;
    }
}

} // namespace

HttpRequest::HttpRequest(QObject *parent) : QObject(parent), m_manager(threadManager())
{
}

void HttpRequest::setRange(qint64 from, const QByteArray &ifRange)
{
    m_rangeFrom = qMax<qint64>(0, from);
    m_ifRange = ifRange;
}

void HttpRequest::onTimeout()
{
    if (m_state == Sent || m_state == Loading)
        fail(Failure::TimedOut, m_reply ? m_reply->url() : m_url, QString());
}

HttpRequest::~HttpRequest()
{
    abort();
}

void HttpRequest::open(const QString &method, const QString &url)
{
    abort();
    m_method = method.toUpper();
    m_url = QUrl(url.trimmed());
    m_headers.clear();
    m_rangeFrom = 0;
    m_ifRange.clear();
    m_state = Opened;
}

void HttpRequest::setRequestHeader(const QString &name, const QString &value)
{
    m_headers.append({name.toLatin1(), value.toUtf8()});
}

void HttpRequest::send()
{
    if (m_state != Opened)
        return;
    m_status = 0;
    m_body.clear();
    m_charset.clear();
    m_reason.clear();
    m_failure = Failure::None;
    m_lastUrl.clear();
    m_permanentUrl.clear();
    m_permanentSoFar = true;
    m_responseHeaders.clear();
    m_error.clear();
    m_redirects = 0;
    m_state = Sent;
    ++m_attempt;
    if (m_timeout > 0) {
        if (!m_timer) {
            m_timer = new QTimer(this);
            m_timer->setSingleShot(true);
            connect(m_timer, &QTimer::timeout, this, &HttpRequest::onTimeout);
        }
        m_timer->start(m_timeout);
    }
    start(m_url);
}

void HttpRequest::start(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        // Reported once the caller is back in the event loop, as any answer is.
        QMetaObject::invokeMethod(
            this,
            [this, url, attempt = m_attempt] {
                if (attempt == m_attempt)
                    fail(Failure::BadAddress, url, QString());
            },
            Qt::QueuedConnection);
        return;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader,
        AppInfo::userAgent() + QStringLiteral(" (+") + AppInfo::webAddress() + QLatin1Char(')'));
    // The body cap below applies to the inflated body; the library's own
    // ratio check would refuse some honest feeds first.
    request.setDecompressedSafetyCheckThreshold(-1);
    // Always the server's current answer, never a cache's.
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    // Naming an encoding turns the network layer's own inflation off, so
    // the body arrives byte for byte as stored.
    if (m_identity)
        request.setRawHeader("Accept-Encoding", "identity");
    if (m_rangeFrom > 0) {
        request.setRawHeader("Range", "bytes=" + QByteArray::number(m_rangeFrom) + '-');
        if (!m_ifRange.isEmpty())
            request.setRawHeader("If-Range", m_ifRange);
    }
    for (const auto &header : std::as_const(m_headers))
        request.setRawHeader(header.first, header.second);

    m_reply = m_manager->sendCustomRequest(request, m_method.toLatin1());
    // Without a limit the network thread reads ahead of us without end.
    m_reply->setReadBufferSize(ReadBufferBytes);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpRequest::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpRequest::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpRequest::onFinished);
    connect(m_reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError> &errors) {
        for (const QSslError &error : errors)
            m_sslErrors << error.errorString();
    });
}

// A body declared larger than the cap is refused before it is read.
void HttpRequest::onMetaData()
{
    if (!m_reply || !m_reply->rawHeader("Content-Encoding").isEmpty())
        return;
    const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (length > m_maxBody)
        fail(Failure::TooLarge, m_reply->url(), QString());
}

void HttpRequest::onReadyRead()
{
    if (!m_reply)
        return;
    m_state = Loading;
    if (!appendBody(m_reply->readAll()))
        fail(Failure::TooLarge, m_reply->url(), QString());
}

// Grows the body in steps of its own, so that its room never passes the cap
// (the usual doubling would reserve twice the cap just below it). False
// when the piece would take the body past the cap.
bool HttpRequest::appendBody(const QByteArray &piece)
{
    const qint64 needed = m_body.size() + piece.size();
    if (needed > m_maxBody)
        return false;
    if (needed > m_body.capacity())
        m_body.reserve(qsizetype(qMin<qint64>(qMax<qint64>(needed, 2 * m_body.capacity()), m_maxBody)));
    m_body.append(piece);
    return true;
}

void HttpRequest::dropReply()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    if (reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void HttpRequest::fail(Failure failure, const QUrl &url, const QString &reason)
{
    if (m_state == Done || m_state == Unsent)
        return;
    dropReply();
    stopTimer();
    m_failure = failure;
    m_lastUrl = url;
    m_error = reason;
    m_body = QByteArray();
    m_state = Done;
    emit done();
}

void HttpRequest::onFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    if (followRedirect(reply))
        return;
    m_reply = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0 && reply->error() != QNetworkReply::NoError) {
        const QString reason
            = reply->error() == QNetworkReply::SslHandshakeFailedError && !m_sslErrors.isEmpty()
            ? m_sslErrors.join(QStringLiteral("; "))
            : reply->errorString();
        m_reply = reply; // fail() lets it go
        fail(failureOf(reply->error()), reply->url(), reason);
        return;
    }
    if (!appendBody(reply->readAll())) {
        m_reply = reply;
        fail(Failure::TooLarge, reply->url(), QString());
        return;
    }
    m_lastUrl = reply->url();
    m_responseHeaders = reply->rawHeaderPairs();
    m_status = status;
    m_reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    m_charset = charsetOf(reply->rawHeader("Content-Type"));
    reply->deleteLater();
    stopTimer();
    m_state = Done;
    emit done();
}

// Redirects are followed here rather than by the manager, so that the
// limit holds and an https address never leads to plain http.
bool HttpRequest::followRedirect(QNetworkReply *reply)
{
    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (target.isEmpty())
        return false;
    const QUrl from = reply->url();
    const QUrl next = from.resolved(target);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_permanentSoFar = m_permanentSoFar && (status == 301 || status == 308);
    if (m_permanentSoFar)
        m_permanentUrl = next;
    if (++m_redirects > MaxRedirects) {
        fail(Failure::TooManyRedirects, from, QString());
    } else if (from.scheme() == QLatin1String("https") && next.scheme() != QLatin1String("https")) {
        fail(Failure::InsecureRedirect, from, next.toString());
    } else {
        dropReply();
        m_body.clear();
        start(next);
    }
    return true;
}

void HttpRequest::stopTimer()
{
    if (m_timer)
        m_timer->stop();
}

void HttpRequest::abort()
{
    dropReply();
    stopTimer();
    m_sslErrors.clear();
    ++m_attempt;
    if (m_state != Unsent)
        m_state = Unsent;
}

QByteArray HttpRequest::responseHeader(const QByteArray &name) const
{
    for (const auto &header : m_responseHeaders) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return QByteArray();
}

QString HttpRequest::responseText() const
{
    if (!m_charset.isEmpty()) {
        QStringDecoder decoder(m_charset.toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(m_body);
    }
    return QString::fromUtf8(m_body);
}
