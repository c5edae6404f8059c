#include "util/HttpRequest.h"

#include "util/AppInfo.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>

namespace
{

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

} // namespace

HttpRequest::HttpRequest(QObject *parent) : QObject(parent), m_manager(threadManager())
{
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
    m_error.clear();
    m_redirects = 0;
    m_state = Sent;
    start(m_url);
}

void HttpRequest::start(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, AppInfo::userAgent());
    for (const auto &header : std::as_const(m_headers))
        request.setRawHeader(header.first, header.second);

    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        m_error = QStringLiteral("Unsupported address: %1").arg(url.toString());
        m_state = Done;
        QMetaObject::invokeMethod(this, &HttpRequest::done, Qt::QueuedConnection);
        return;
    }

    m_reply = m_manager->sendCustomRequest(request, m_method.toLatin1());
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpRequest::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpRequest::onFinished);
}

void HttpRequest::onReadyRead()
{
    if (!m_reply)
        return;
    m_state = Loading;
    m_body.append(m_reply->readAll());
    if (m_body.size() > MaxBodyBytes)
        fail(QStringLiteral("The response is larger than 64 MiB."));
}

void HttpRequest::fail(const QString &reason)
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    if (reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_error = reason;
    m_body.clear();
    m_state = Done;
    emit done();
}

void HttpRequest::onFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    if (followRedirect(reply))
        return;
    m_body.append(reply->readAll());
    m_status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_charset = charsetOf(reply->rawHeader("Content-Type"));
    if (reply->error() != QNetworkReply::NoError && m_status == 0)
        m_error = reply->errorString();
    if (m_body.size() > MaxBodyBytes) {
        m_error = QStringLiteral("The response is larger than 64 MiB.");
        m_body.clear();
    }
    reply->deleteLater();
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
    const QUrl next = reply->url().resolved(target);
    reply->deleteLater();
    if (++m_redirects > MaxRedirects) {
        fail(QStringLiteral("Too many redirects."));
    } else if (reply->url().scheme() == QLatin1String("https") && next.scheme() != QLatin1String("https")) {
        fail(QStringLiteral("Refused a redirect from https to %1.").arg(next.toString()));
    } else {
        m_body.clear();
        start(next);
    }
    return true;
}

void HttpRequest::abort()
{
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (m_state != Unsent)
        m_state = Unsent;
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
