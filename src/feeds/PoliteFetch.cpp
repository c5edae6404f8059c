#include "feeds/PoliteFetch.h"

#include "util/HttpRequest.h"
#include "util/MessageKeys.h"

#include <QLocale>

#include <algorithm>

namespace PoliteFetch
{

namespace
{

// An HTTP date: the preferred form ("Sun, 06 Nov 1994 08:49:37 GMT") and,
// as servers still send them, the RFC 850 and asctime forms. The day name
// is left out: a two-digit year would make it disagree with the date.
QDateTime httpDate(const QString &text)
{
    static const char *const formats[]
        = {"d MMM yyyy HH:mm:ss 'GMT'", "d-MMM-yy HH:mm:ss 'GMT'", "MMM d HH:mm:ss yyyy"};
    QString date = text.simplified();
    date = date.mid(date.indexOf(QLatin1Char(' ')) + 1);
    for (const char *format : formats) {
        QDateTime parsed = QLocale::c().toDateTime(date, QLatin1String(format));
        if (parsed.isValid()) {
            if (parsed.date().year() < 1970)
                parsed = parsed.addYears(100); // the two-digit year of the RFC 850 form
            parsed.setTimeSpec(Qt::UTC);
            return parsed;
        }
    }
    return QDateTime::fromString(text.simplified(), Qt::RFC2822Date).toUTC();
}

// A validator worth keeping and sending back: short, and one line of
// visible text (a value from a tampered file must not add headers).
bool isUsable(const QString &validator)
{
    return validator.size() <= MaxValidatorLength
        && std::all_of(validator.begin(), validator.end(),
            [](QChar c) { return c >= QLatin1Char(' ') && c != QChar(0x7f); });
}

QString validator(const HttpRequest &request, const QByteArray &header)
{
    const QString value = QString::fromLatin1(request.responseHeader(header)).trimmed();
    return isUsable(value) ? value : QString();
}

} // namespace

void addValidators(HttpRequest &request, const FetchState &state)
{
    if (!state.etag.isEmpty() && isUsable(state.etag))
        request.setRequestHeader(QStringLiteral("If-None-Match"), state.etag);
    if (!state.lastModified.isEmpty() && isUsable(state.lastModified))
        request.setRequestHeader(QStringLiteral("If-Modified-Since"), state.lastModified);
}

bool isDeferred(const FetchState &state, const QDateTime &now)
{
    return state.notBefore.isValid() && state.notBefore > now;
}

QDateTime retryAfter(const QByteArray &value, const QDateTime &now)
{
    const QByteArray trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return {};
    bool number = false;
    const qint64 seconds = trimmed.toLongLong(&number);
    QDateTime when;
    if (number)
        when = now.addSecs(qBound<qint64>(0, seconds, MaxRetryAfterSeconds));
    else if (const QDateTime date = httpDate(QString::fromLatin1(trimmed)); date.isValid())
        when = qBound(now, date, now.addSecs(MaxRetryAfterSeconds));
    // Whole seconds, as the data file keeps it.
    return when.isValid() ? QDateTime::fromSecsSinceEpoch(when.toSecsSinceEpoch(), Qt::UTC) : when;
}

Answer classify(const HttpRequest &request, const QDateTime &now)
{
    Answer answer;
    answer.movedTo = request.permanentUrl();
    if (request.failure() != HttpRequest::Failure::None)
        return answer;
    switch (request.status()) {
    case 304:
        answer.kind = Answer::Kind::NotModified;
        return answer;
    case 410:
        answer.kind = Answer::Kind::Gone;
        return answer;
    case 429:
    case 503:
        answer.retryAt = retryAfter(request.responseHeader("Retry-After"), now);
        if (answer.retryAt.isValid())
            answer.kind = Answer::Kind::RetryLater;
        return answer;
    default:
        break;
    }
    if (request.status() >= 200 && request.status() < 300) {
        answer.validators.etag = validator(request, "ETag");
        answer.validators.lastModified = validator(request, "Last-Modified");
    }
    return answer;
}

QString notModifiedText(DefaultTexts::Source texts)
{
    return texts(Msg::FETCH_NONEWITEMS);
}

QString retryLaterText(const QString &host, const QDateTime &when, DefaultTexts::Source texts)
{
    return texts(Msg::FETCH_RETRYLATER)
        .arg(host, QLocale::system().toString(when.toLocalTime(), QLocale::ShortFormat));
}

QString goneText(const QString &host, DefaultTexts::Source texts)
{
    return texts(Msg::FETCH_GONE).arg(host);
}

QString movedText(const QUrl &from, const QUrl &to, DefaultTexts::Source texts)
{
    return texts(Msg::FETCH_MOVED).arg(from.toString(), to.toString());
}

} // namespace PoliteFetch
