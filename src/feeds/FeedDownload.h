#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class HttpRequest;

// Fetches a feed's document for a feed window: one GET with a time-out,
// a Retry/Cancel question when the server does not answer, and a copy of
// the response in Debug.xml. The wait runs a local event loop, so the
// interface stays live and the CPU idle.
class FeedDownload : public QObject
{
    Q_OBJECT
public:
    explicit FeedDownload(QObject *parent = nullptr);
    ~FeedDownload() override;

    QString FeedURL;
    QByteArray FeedData; // the last complete response, unchanged otherwise
    QString FeedCharset; // the charset its Content-Type named
    bool StillExecuting = false;

    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    int timeout() const { return m_timeout; }

    // True when a complete response arrived and is now FeedData; false when
    // the user cancelled after a time-out, the wait was abandoned, or the
    // download failed (its box shown; failed() tells). The object may be
    // deleted during the call (its window closed); the call then returns
    // false and touches nothing of it.
    bool DownloadFeed();
    // Whether the last DownloadFeed ended in a failure of the connection or
    // an error status without a body, rather than a time-out.
    bool failed() const { return m_failed; }

    // Ends a wait in progress (its owner is going away); DownloadFeed then
    // returns false without a question.
    void abandon();

    // Starts a feed request afresh: abort, GET without credentials, no cache.
    static void sendRequest(HttpRequest &request, const QString &url);

signals:
    void abandonRequested();

private:
    bool waitForResponse(HttpRequest &request);
    void keepResponse(const HttpRequest &request);

    int m_timeout = 10000;
    bool m_abandoned = false;
    bool m_failed = false;
};
