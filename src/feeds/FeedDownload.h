#pragma once

#include "feeds/FetchFailure.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class HttpRequest;
class QTimer;

// Fetches a feed's document for a feed window without waiting for it: one
// GET with a time-out, told by finished(). A time-out is reported, not
// asked about: the window puts the Retry/Cancel question and starts again.
// A complete response becomes FeedData and is copied to Debug.xml.
class FeedDownload : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Complete, // FeedData holds the response
        TimedOut, // no complete response in time; FeedData unchanged
        Failed, // the connection failed or an error status came without a body (failure())
        Abandoned, // abandon() ended it
    };
    Q_ENUM(Outcome)

    explicit FeedDownload(QObject *parent = nullptr);
    ~FeedDownload() override;

    QString FeedURL;
    QByteArray FeedData; // the last complete response, unchanged otherwise
    QString FeedCharset; // the charset its Content-Type named
    bool StillExecuting = false;

    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    int timeout() const { return m_timeout; }

    // Sends the request afresh for FeedURL (a request still running is
    // dropped first); finished() follows once.
    void start();
    // Ends a download in progress without a result (its owner is going away).
    void abandon();
    // What made the last download fail.
    std::optional<FetchFailure> failure() const { return m_failure; }

    // Starts a feed request afresh: abort, GET without credentials, no cache.
    static void sendRequest(HttpRequest &request, const QString &url);

signals:
    void finished(FeedDownload::Outcome outcome);

private:
    void end(Outcome outcome);

    std::unique_ptr<HttpRequest> m_request;
    QTimer *m_timer;
    int m_timeout = 10000;
    std::optional<FetchFailure> m_failure;
};
