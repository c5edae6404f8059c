#include "feeds/FeedDownload.h"

#include "feeds/FetchFailure.h"
#include "util/AppFolder.h"
#include "util/HttpRequest.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

FeedDownload::FeedDownload(QObject *parent) : QObject(parent)
{
}

FeedDownload::~FeedDownload()
{
    abandon();
}

void FeedDownload::abandon()
{
    m_abandoned = true;
    emit abandonRequested();
}

void FeedDownload::sendRequest(HttpRequest &request, const QString &url)
{
    request.abort();
    request.open(QStringLiteral("GET"), url);
    request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
    request.send();
}

bool FeedDownload::DownloadFeed()
{
    const QPointer<FeedDownload> self(this);
    m_abandoned = false;
    m_failed = false;
    mUtil::ClearUrlCache(FeedURL);
    HttpRequest request;
    for (;;) {
        sendRequest(request, FeedURL);
        StillExecuting = true;
        const bool complete = waitForResponse(request);
        if (!self)
            return false;
        StillExecuting = false;
        if (m_abandoned)
            return false;
        if (complete) {
            if (const std::optional<FetchFailure> failure = FetchFailure::of(request)) {
                m_failed = true;
                Messages::exclamation(failure->title, failure->text);
                return false;
            }
            keepResponse(request);
            return true;
        }
        request.abort();
        const Messages::Answer answer = Messages::show(Messages::Icon::Exclamation,
            QStringLiteral("Server Timeout!"),
            QStringLiteral("Server did not respond in timely manner. Application failed to fetch Feed Data!"),
            Messages::Buttons::RetryCancel);
        if (!self || m_abandoned || answer != Messages::Answer::Retry)
            return false;
    }
}

// True when the response is complete; false on time-out or abandon. Touches
// nothing of this object once the wait is over.
bool FeedDownload::waitForResponse(HttpRequest &request)
{
    if (request.readyState() == HttpRequest::Done)
        return true;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&request, &HttpRequest::done, &loop, &QEventLoop::quit);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &FeedDownload::abandonRequested, &loop, &QEventLoop::quit);
    timeout.start(m_timeout);
    loop.exec();
    return request.readyState() == HttpRequest::Done;
}

void FeedDownload::keepResponse(const HttpRequest &request)
{
    FeedData = request.responseBytes();
    FeedCharset = request.charset();
    // Last, because a failure box may run events that delete this object.
    mUtil::WriteTextFile(AppFolder::file(QStringLiteral("Debug.xml")), FeedData, FeedCharset);
}
