#pragma once

#include "feeds/FetchFailure.h"
#include "feeds/PoliteFetch.h"

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
//
// With a FeedID the request is a polite one: the validators stored in the
// feed's data file go with it, a pause its server asked for is kept (the
// feed is not fetched before its time, and a new pause is stored), and the
// answers that bring nothing to parse are told apart.
class FeedDownload : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Complete, // FeedData holds the response
        TimedOut, // no complete response in time; FeedData unchanged
        Failed, // the connection failed or an error status came without a body (failure())
        Abandoned, // abandon() ended it
        NotModified, // 304: nothing new since the stored validators
        Deferred, // the server asked for a pause, until answer().retryAt
        Gone, // 410: the feed is no more
    };
    Q_ENUM(Outcome)

    explicit FeedDownload(QObject *parent = nullptr);
    ~FeedDownload() override;

    QString FeedURL;
    QString FeedID; // the feed whose data file keeps its fetch state ("" for none)
    QByteArray FeedData; // the last complete response, unchanged otherwise
    QString FeedCharset; // the charset its Content-Type named
    FetchState FeedValidators; // its ETag and Last-Modified, to store once it is merged
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
    // What the last answer meant: its kind, pause, validators, and the
    // address a permanent redirect led to.
    const PoliteFetch::Answer &answer() const { return m_answer; }
    // The server of FeedURL, as the messages name it.
    QString host() const;

    // Starts a feed request afresh: abort, GET without credentials, no
    // cache, the validators of state.
    static void sendRequest(HttpRequest &request, const QString &url, const FetchState &state = {});

signals:
    void finished(FeedDownload::Outcome outcome);

private:
    void send(const FetchState &state);
    void onDone();
    void end(Outcome outcome);

    std::unique_ptr<HttpRequest> m_request;
    QTimer *m_timer;
    int m_timeout = 10000;
    std::optional<FetchFailure> m_failure;
    PoliteFetch::Answer m_answer;
    int m_attempt = 0; // tells the fetch state read for an earlier start apart
};
