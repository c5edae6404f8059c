#pragma once

#include "i18n/DefaultTexts.h"

#include <QDateTime>
#include <QString>
#include <QUrl>

class HttpRequest;

// What a feed's data file remembers between two fetches of the feed: the
// validators of its last merged response, sent back so that the server can
// answer "not modified", and the time before which its server asked not
// to be fetched again.
struct FetchState {
    QString etag;
    QString lastModified;
    QDateTime notBefore; // UTC; invalid when the server asked for no pause

    bool operator==(const FetchState &) const = default;
};

// The polite side of fetching a feed, shared by the feed window and the
// scheduled check: the conditional request, and what an answer means.
namespace PoliteFetch
{

// The longest pause a server may ask for; a longer one is cut to it, so a
// wrong or hostile header never stops a feed for good.
constexpr qint64 MaxRetryAfterSeconds = 24 * 60 * 60;
// A longer validator is neither kept nor sent.
constexpr int MaxValidatorLength = 1024;

// Adds the validators of the state to a request that is open. (The
// User-Agent and the compressed transfer are the request's own.)
void addValidators(HttpRequest &request, const FetchState &state);

// Whether the server asked not to be fetched before a time still to come.
bool isDeferred(const FetchState &state, const QDateTime &now);

// The time a Retry-After value names (seconds or an HTTP date), at most
// MaxRetryAfterSeconds after now; invalid when the value is neither.
QDateTime retryAfter(const QByteArray &value, const QDateTime &now);

struct Answer {
    enum class Kind {
        Normal, // parse it (or report its failure) as before
        NotModified, // 304: nothing new, nothing to parse or save
        RetryLater, // 429 or 503 with Retry-After: not before retryAt
        Gone, // 410
    };
    Kind kind = Kind::Normal;
    QDateTime retryAt; // RetryLater
    QUrl movedTo; // a permanent redirect led here (with any kind)
    FetchState validators; // of a Normal answer, to store once it is merged
};

// What a finished request's answer means for the feed.
Answer classify(const HttpRequest &request, const QDateTime &now);

// The words for each, from texts (English for the log). when is shown in
// the local time.
QString notModifiedText(DefaultTexts::Source texts);
QString retryLaterText(const QString &host, const QDateTime &when, DefaultTexts::Source texts);
QString goneText(const QString &host, DefaultTexts::Source texts);
QString movedText(const QUrl &from, const QUrl &to, DefaultTexts::Source texts);

} // namespace PoliteFetch
