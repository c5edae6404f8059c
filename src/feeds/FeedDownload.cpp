#include "feeds/FeedDownload.h"

#include "feeds/FeedFile.h"
#include "i18n/Languages.h"

#include "util/AppFolder.h"
#include "util/BackgroundWrite.h"
#include "util/HttpRequest.h"
#include "util/Utilities.h"

#include <QTimer>

FeedDownload::FeedDownload(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (StillExecuting)
            end(Outcome::TimedOut);
    });
}

FeedDownload::~FeedDownload() = default;

void FeedDownload::sendRequest(HttpRequest &request, const QString &url, const FetchState &state)
{
    request.abort();
    request.open(QStringLiteral("GET"), url);
    request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
    PoliteFetch::addValidators(request, state);
    request.send();
}

QString FeedDownload::host() const
{
    const QUrl url(FeedURL.trimmed());
    return url.host().isEmpty() ? FeedURL : url.host();
}

void FeedDownload::start()
{
    m_failure.reset();
    m_answer = PoliteFetch::Answer();
    mUtil::ClearUrlCache(FeedURL);
    if (m_request)
        m_request->abort();
    StillExecuting = true;
    m_timer->start(m_timeout);
    const int attempt = ++m_attempt;
    if (FeedID.isEmpty()) {
        send(FetchState());
        return;
    }
    FeedFile::open(FeedID)->readFetchState(this, [this, attempt](const FetchState &state) {
        if (attempt != m_attempt || !StillExecuting)
            return;
        if (PoliteFetch::isDeferred(state, QDateTime::currentDateTimeUtc())) {
            m_answer.kind = PoliteFetch::Answer::Kind::RetryLater;
            m_answer.retryAt = state.notBefore;
            end(Outcome::Deferred);
            return;
        }
        send(state);
    });
}

void FeedDownload::send(const FetchState &state)
{
    m_request = std::make_unique<HttpRequest>();
    connect(m_request.get(), &HttpRequest::done, this, [this] {
        if (StillExecuting)
            onDone();
    });
    sendRequest(*m_request, FeedURL, state);
}

void FeedDownload::onDone()
{
    m_answer = PoliteFetch::classify(*m_request, QDateTime::currentDateTimeUtc());
    switch (m_answer.kind) {
    case PoliteFetch::Answer::Kind::NotModified:
        end(Outcome::NotModified);
        return;
    case PoliteFetch::Answer::Kind::Gone:
        end(Outcome::Gone);
        return;
    case PoliteFetch::Answer::Kind::RetryLater:
        if (!FeedID.isEmpty())
            FeedFile::open(FeedID)->deferFetch(m_answer.retryAt, this, [](const FeedFile::Saved &) {});
        end(Outcome::Deferred);
        return;
    case PoliteFetch::Answer::Kind::Normal:
        break;
    }
    m_failure = FetchFailure::of(*m_request, getMessages);
    if (m_failure) {
        end(Outcome::Failed);
        return;
    }
    FeedData = m_request->responseBytes();
    FeedCharset = m_request->charset();
    FeedValidators = m_answer.validators;
    // Written behind the window's back, in the order of the downloads.
    BackgroundWrite::textFile(AppFolder::file(QStringLiteral("Debug.xml")), FeedData, FeedCharset);
    end(Outcome::Complete);
}

void FeedDownload::abandon()
{
    if (StillExecuting)
        end(Outcome::Abandoned);
}

void FeedDownload::end(Outcome outcome)
{
    StillExecuting = false;
    m_timer->stop();
    // The request goes once this call is over: it may be the one calling.
    if (m_request) {
        m_request->abort();
        m_request.release()->deleteLater();
    }
    emit finished(outcome);
}
