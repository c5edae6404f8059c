#include "feeds/FeedDownload.h"

#include "feeds/FeedFile.h"
#include "util/AppFolder.h"
#include "util/BackgroundWrite.h"
#include "util/HttpRequest.h"
#include "util/Log.h"
#include "util/Utilities.h"

FeedDownload::FeedDownload(QObject *parent) : QObject(parent)
{
}

FeedDownload::~FeedDownload() = default;

QString FeedDownload::hostOf(const QString &url)
{
    const QUrl parsed(url.trimmed());
    return parsed.host().isEmpty() ? url : parsed.host();
}

QString FeedDownload::host() const
{
    return hostOf(FeedURL);
}

const HttpRequest *FeedDownload::response() const
{
    return m_hasResponse ? m_request.get() : nullptr;
}

void FeedDownload::writeDebugCopy(const QByteArray &data, const QString &charset)
{
    BackgroundWrite::textFile(AppFolder::file(QStringLiteral("Debug.xml")), data, charset);
}

void FeedDownload::start()
{
    m_answer = PoliteFetch::Answer();
    m_sent = false;
    m_hasResponse = false;
    mUtil::ClearUrlCache(FeedURL);
    if (m_request)
        m_request->abort();
    StillExecuting = true;
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
    if (!m_request) {
        m_request = std::make_unique<HttpRequest>();
        connect(m_request.get(), &HttpRequest::done, this, [this] {
            if (StillExecuting)
                onDone();
        });
    }
    m_request->open(QStringLiteral("GET"), FeedURL);
    m_request->setTimeout(m_timeout);
    PoliteFetch::addValidators(*m_request, state);
    m_sent = true;
    qCDebug(lcFetch) << "GET" << FeedURL;
    m_request->send();
}

void FeedDownload::onDone()
{
    m_hasResponse = true;
    const HttpRequest &request = *m_request;
    qCDebug(lcFetch) << "answer" << request.status() << request.lastUrl().toString() << "failure"
                     << int(request.failure()) << request.responseBytes().size() << "bytes";
    if (request.failure() == HttpRequest::Failure::TimedOut) {
        end(Outcome::TimedOut);
        return;
    }
    m_answer = PoliteFetch::classify(request, QDateTime::currentDateTimeUtc());
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
    if (FetchFailure::of(request, DefaultTexts::english)) {
        end(Outcome::Failed);
        return;
    }
    FeedData = request.responseBytes();
    feedCharset = request.charset();
    feedValidators = m_answer.validators;
    if (m_debugCopy)
        writeDebugCopy(FeedData, feedCharset);
    end(Outcome::Complete);
}

std::optional<FetchFailure> FeedDownload::failure(DefaultTexts::Source texts) const
{
    if (!response())
        return std::nullopt;
    return FetchFailure::of(*m_request, texts);
}

void FeedDownload::abandon()
{
    if (StillExecuting)
        end(Outcome::Abandoned);
}

void FeedDownload::release()
{
    FeedData = QByteArray();
    m_hasResponse = false;
    if (m_request) {
        m_request->abort();
        m_request.release()->deleteLater();
    }
}

void FeedDownload::end(Outcome outcome)
{
    StillExecuting = false;
    if (outcome == Outcome::Abandoned && m_request)
        m_request->abort();
    qCDebug(lcFetch) << FeedURL << outcome;
    emit finished(outcome);
}
