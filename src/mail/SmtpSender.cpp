#include "mail/SmtpSender.h"

#include "i18n/Languages.h"
#include "util/Log.h"
#include "util/MessageKeys.h"

#include <QMetaObject>
#include <QThreadPool>

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>

namespace
{

// The link between a worker and the sender that started it. Events are
// posted to the sender only while it lives; once it is gone the worker
// stops at its next callback and its events are dropped.
struct Channel {
    std::mutex mutex;
    SmtpSender *owner = nullptr; // null once the sender is gone
    std::atomic<bool> abandoned {false};
    bool running = false; // the owner's thread only

    // Runs event on the owner's thread, unless the owner is gone by then.
    void post(std::function<void(SmtpSender &)> event)
    {
        std::lock_guard lock(mutex);
        if (!owner)
            return;
        // A queued call to a deleted object is discarded with it.
        SmtpSender *target = owner;
        QMetaObject::invokeMethod(
            target, [target, event = std::move(event)] { event(*target); }, Qt::QueuedConnection);
    }
};

// What a finished send leaves behind, read on the owner's thread.
struct Outcome {
    CURLcode code = CURLE_OK;
    QString error; // curl's own explanation
    QString lastReply; // the server's last reply line before QUIT
    QString lastRefusal; // its last 4xx or 5xx reply line
    QString refusedRecipient; // the server's reply to a refused RCPT TO
    bool authMissing = false; // authentication wanted, the server offers none
};

// The state of one transfer, touched only by the worker.
struct Transfer {
    std::shared_ptr<Channel> channel;
    bool authentication = false;
    QByteArray bytes;
    qsizetype offset = 0;
    bool greeted = false;
    bool authSent = false;
    bool mailFromSent = false;
    bool quitSent = false;
    bool inRecipients = false;
    int percent = -1;
    Outcome outcome;
    char error[CURL_ERROR_SIZE] = {};

    void status(const QString &key, const QString &detail = QString())
    {
        channel->post([key, detail](SmtpSender &sender) {
            const QString text = getMessages(key);
            emit sender.status(detail.isNull() ? text : text.arg(detail));
        });
    }
    bool authenticationMissing()
    {
        if (authentication && !authSent)
            outcome.authMissing = true;
        return outcome.authMissing;
    }
};

constexpr int LongestReply = 300;

QList<QByteArray> lines(const char *data, size_t size)
{
    QList<QByteArray> result;
    for (const QByteArray &line : QByteArray(data, qsizetype(size)).split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            result << trimmed.left(LongestReply);
    }
    return result;
}

void onCommand(Transfer &t, const QByteArray &line)
{
    const QByteArray upper = line.toUpper();
    t.inRecipients = upper.startsWith("RCPT TO:");
    if (upper == "STARTTLS") {
        t.status(Msg::SMTP_SECURING);
    } else if (upper.startsWith("AUTH ")) {
        t.authSent = true;
        t.status(Msg::SMTP_AUTHENTICATING);
    } else if (upper.startsWith("MAIL FROM:")) {
        t.mailFromSent = true;
        t.status(Msg::SMTP_SENDING);
    } else if (upper == "QUIT") {
        t.quitSent = true;
    }
}

void onReply(Transfer &t, const QByteArray &line)
{
    if (t.quitSent)
        return;
    const QString text = QString::fromUtf8(line);
    t.outcome.lastReply = text;
    if (!t.greeted && line.startsWith("220")) {
        t.greeted = true;
        t.status(Msg::SMTP_CONNECTED, text.mid(4));
    }
    if (!line.startsWith('4') && !line.startsWith('5'))
        return;
    t.outcome.lastRefusal = text;
    if (t.inRecipients)
        t.outcome.refusedRecipient = text;
}

// Follows the conversation: what the client said, what the server answered.
int onDebug(CURL *, curl_infotype type, char *data, size_t size, void *userp)
{
    auto &t = *static_cast<Transfer *>(userp);
    if (type == CURLINFO_HEADER_OUT) {
        for (const QByteArray &line : lines(data, size))
            onCommand(t, line);
    } else if (type == CURLINFO_HEADER_IN) {
        for (const QByteArray &line : lines(data, size))
            onReply(t, line);
    }
    return 0;
}

// Hands out the message; not one byte of it unless authentication
// happened when it was asked for.
size_t onRead(char *buffer, size_t size, size_t count, void *userp)
{
    auto &t = *static_cast<Transfer *>(userp);
    if (t.channel->abandoned || t.authenticationMissing())
        return CURL_READFUNC_ABORT;
    const qsizetype n = std::min(qsizetype(size * count), t.bytes.size() - t.offset);
    std::copy_n(t.bytes.constData() + t.offset, n, buffer);
    t.offset += n;
    return size_t(n);
}

int onProgress(void *userp, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto &t = *static_cast<Transfer *>(userp);
    if (t.channel->abandoned || (t.mailFromSent && t.authenticationMissing()))
        return 1;
    if (ultotal <= 0)
        return 0;
    const int percent = int(std::min<curl_off_t>(100, ulnow * 100 / ultotal));
    if (percent != t.percent) {
        t.percent = percent;
        t.channel->post([percent](SmtpSender &sender) { emit sender.progress(percent); });
    }
    return 0;
}

QByteArray url(const SmtpOptions &options)
{
    QString host = options.host;
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    const QString scheme = options.port == 465 ? QStringLiteral("smtps") : QStringLiteral("smtp");
    return QStringLiteral("%1://%2:%3").arg(scheme, host).arg(options.port).toUtf8();
}

QByteArray bracketed(const QString &address)
{
    return '<' + address.toUtf8() + '>';
}

void setOptions(CURL *curl, Transfer &t, const SmtpOptions &options)
{
    curl_easy_setopt(curl, CURLOPT_URL, url(options).constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, t.error);
    if (options.port != 465)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options.caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, options.caFile.toUtf8().constData());
    if (options.authentication) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, options.userName.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, options.password.toUtf8().constData());
    }
    const long responseSeconds = std::max(1L, long((options.responseTimeoutMs + 999) / 1000));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(options.connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, responseSeconds);
    // A server that stops taking the message half-way ends the send too.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, responseSeconds);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, onRead);
    curl_easy_setopt(curl, CURLOPT_READDATA, &t);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(t.bytes.size()));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, onDebug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &t);
}

// The whole conversation, on the worker.
Outcome perform(Transfer &t, const SmtpOptions &options, const QString &from, const QStringList &recipients)
{
    CURL *curl = curl_easy_init();
    if (!curl) {
        t.outcome.code = CURLE_FAILED_INIT;
        return t.outcome;
    }
    curl_slist *rcpt = nullptr;
    for (const QString &recipient : recipients)
        rcpt = curl_slist_append(rcpt, bracketed(recipient).constData());
    setOptions(curl, t, options);
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, bracketed(from).constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
    t.outcome.code = curl_easy_perform(curl);
    t.outcome.error = QString::fromUtf8(t.error).trimmed();
    if (t.outcome.error.isEmpty())
        t.outcome.error = QString::fromUtf8(curl_easy_strerror(t.outcome.code));
    curl_easy_cleanup(curl);
    curl_slist_free_all(rcpt);
    return t.outcome;
}

bool isTlsFailure(CURLcode code)
{
    switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_USE_SSL_FAILED:
        return true;
    default:
        return false;
    }
}

QString withDetail(const QString &text, const QString &detail)
{
    return detail.isEmpty() ? text : text + QStringLiteral("\r\n") + detail;
}

QString explanation(const Outcome &o, const SmtpOptions &options)
{
    const QString port = QString::number(options.port);
    if (o.authMissing)
        return getMessages(Msg::SMTP_NOAUTH);
    if (!o.refusedRecipient.isEmpty())
        return getMessages(Msg::SMTP_RECIPIENT).arg(o.refusedRecipient);
    if (isTlsFailure(o.code))
        return getMessages(Msg::SMTP_TLS).arg(o.error);
    switch (o.code) {
    case CURLE_COULDNT_CONNECT:
        return withDetail(getMessages(Msg::SMTP_REFUSED).arg(options.host, port), o.error);
    case CURLE_COULDNT_RESOLVE_HOST:
        return getMessages(Msg::SMTP_UNKNOWNHOST).arg(options.host);
    case CURLE_OPERATION_TIMEDOUT:
        return getMessages(Msg::SMTP_TIMEOUT).arg(options.host, port);
    case CURLE_LOGIN_DENIED:
        return getMessages(Msg::SMTP_LOGINDENIED).arg(o.lastRefusal.isEmpty() ? o.error : o.lastRefusal);
    default:
        const QString reply
            = o.lastReply.isEmpty() ? QString() : getMessages(Msg::SMTP_SERVERSAID).arg(o.lastReply);
        return withDetail(getMessages(Msg::SMTP_FAILED).arg(o.error), reply);
    }
}

// An address goes into the SMTP commands as it is: nothing that could end
// the command or the brackets around it.
bool isValidAddress(const QString &address)
{
    if (address.isEmpty() || !address.contains(QLatin1Char('@')))
        return false;
    return std::none_of(address.cbegin(), address.cend(), [](QChar c) {
        return c.unicode() <= 0x20 || c.unicode() == 0x7f || c == QLatin1Char('<') || c == QLatin1Char('>');
    });
}

bool isValidHost(const QString &host)
{
    if (host.isEmpty())
        return false;
    return std::none_of(host.cbegin(), host.cend(), [](QChar c) {
        return c.unicode() <= 0x20 || c.unicode() == 0x7f || QStringLiteral("/?#@\\[]").contains(c);
    });
}

// Why a send cannot even start; empty when it can.
QString refusal(const SmtpOptions &options, const MailMessage &message)
{
    if (!isValidHost(options.host))
        return getMessages(Msg::SMTP_BADHOST).arg(options.host);
    if (!isValidAddress(message.fromAddress))
        return getMessages(Msg::SMTP_BADADDRESS).arg(message.fromAddress);
    if (message.recipients.isEmpty())
        return getMessages(Msg::SMTP_NORECIPIENT);
    for (const QString &recipient : message.recipients) {
        if (!isValidAddress(recipient))
            return getMessages(Msg::SMTP_BADADDRESS).arg(recipient);
    }
    return QString();
}

// Sends run on a pool of their own: a slow server must not hold up the
// work of the shared pool.
QThreadPool &mailPool()
{
    static QThreadPool pool;
    return pool;
}

void finish(
    SmtpSender &sender, Channel &channel, const Outcome &outcome, const SmtpOptions &options, int percent)
{
    channel.running = false;
    if (outcome.code != CURLE_OK || outcome.authMissing) {
        emit sender.failed(explanation(outcome, options));
        return;
    }
    if (percent < 100)
        emit sender.progress(100);
    emit sender.status(getMessages(Msg::SMTP_ACCEPTED));
    emit sender.succeeded();
}

} // namespace

struct SmtpSender::Shared : Channel {
};

SmtpSender::SmtpSender(QObject *parent) : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

SmtpSender::~SmtpSender()
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->owner = nullptr;
    m_shared->abandoned = true;
}

bool SmtpSender::running() const
{
    return m_shared->running;
}

bool SmtpSender::send(const SmtpOptions &options, const MailMessage &message)
{
    if (m_shared->running)
        return false;
    static const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(curlReady);
    m_shared->running = true;
    std::shared_ptr<Channel> channel = m_shared;
    const QString refused = refusal(options, message);
    if (!refused.isEmpty()) {
        channel->post([channel, refused](SmtpSender &sender) {
            channel->running = false;
            emit sender.failed(refused);
        });
        return true;
    }
    qCDebug(lcMail) << "sending to" << options.host << options.port << message.recipients.size()
                    << "recipients";
    auto transfer = std::make_shared<Transfer>();
    transfer->channel = channel;
    transfer->status(Msg::SMTP_CONNECTING, options.host + QLatin1Char(':') + QString::number(options.port));
    transfer->authentication = options.authentication;
    transfer->bytes = message.toBytes();
    mailPool().start([transfer, options, from = message.fromAddress, recipients = message.recipients] {
        const Outcome outcome = perform(*transfer, options, from, recipients);
        const int percent = transfer->percent;
        const std::shared_ptr<Channel> channel = transfer->channel;
        channel->post([channel, outcome, options, percent](
                          SmtpSender &sender) { finish(sender, *channel, outcome, options, percent); });
    });
    return true;
}
