#include "feeds/FeedDownload.h"

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

void FeedDownload::sendRequest(HttpRequest &request, const QString &url)
{
    request.abort();
    request.open(QStringLiteral("GET"), url);
    request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
    request.send();
}

void FeedDownload::start()
{
    m_failure.reset();
    mUtil::ClearUrlCache(FeedURL);
    m_request = std::make_unique<HttpRequest>();
    connect(m_request.get(), &HttpRequest::done, this, [this] {
        if (!StillExecuting)
            return;
        m_failure = FetchFailure::of(*m_request, getMessages);
        if (m_failure) {
            end(Outcome::Failed);
            return;
        }
        FeedData = m_request->responseBytes();
        FeedCharset = m_request->charset();
        // Written behind the window's back, in the order of the downloads.
        BackgroundWrite::textFile(AppFolder::file(QStringLiteral("Debug.xml")), FeedData, FeedCharset);
        end(Outcome::Complete);
    });
    StillExecuting = true;
    m_timer->start(m_timeout);
    sendRequest(*m_request, FeedURL);
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
