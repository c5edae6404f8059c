#pragma once

#include "feeds/FetchFailure.h"
#include "feeds/PoliteFetch.h"
#include "i18n/Languages.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class HttpRequest;

// The one way a feed's document is fetched, by the feed window, the
// scheduled check, the add-feed check and the language update alike: one
// GET through HttpRequest (whose time-out, cache headers and body cap hold),
// told by finished() without waiting for it. A time-out is reported, not
// asked about: the feed window puts the Retry/Cancel question and starts
// again. A complete response becomes FeedData and, unless switched off, is
// copied to Debug.xml off the window thread.
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
    QString feedCharset; // the charset its Content-Type named
    FetchState feedValidators; // its ETag and Last-Modified, to store once it is merged
    bool StillExecuting = false;

    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    int timeout() const { return m_timeout; }
    // Whether a complete response is copied to Debug.xml (on by default).
    void setKeepsDebugCopy(bool keep) { m_debugCopy = keep; }

    // Sends the request afresh for FeedURL (a request still running is
    // dropped first); finished() follows once.
    void start();
    // Ends a download in progress without a result (its owner is going away).
    void abandon();
    // Lets the last response's memory go (FeedData included).
    void release();

    // What made the last download fail, in the words of texts.
    std::optional<FetchFailure> failure(DefaultTexts::Source texts = getMessages) const;
    // What the last answer meant: its kind, pause, validators, and the
    // address a permanent redirect led to.
    const PoliteFetch::Answer &answer() const { return m_answer; }
    // The last finished request (status, headers, final address, body), kept
    // until release() or the next start(); null before any.
    const HttpRequest *response() const;
    // Whether the last start() sent a request at all (not when its server's
    // pause was still running, or when it was abandoned first).
    bool sent() const { return m_sent; }
    // The server of FeedURL, as the messages name it.
    QString host() const;
    static QString hostOf(const QString &url);

    // Writes the copy of a downloaded document that Debug.xml keeps, behind
    // the caller's back and in the order of the calls.
    static void writeDebugCopy(const QByteArray &data, const QString &charset);

signals:
    void finished(FeedDownload::Outcome outcome);

private:
    void send(const FetchState &state);
    void onDone();
    void end(Outcome outcome);

    std::unique_ptr<HttpRequest> m_request;
    int m_timeout = 10000;
    bool m_debugCopy = true;
    bool m_sent = false;
    bool m_hasResponse = false;
    PoliteFetch::Answer m_answer;
    int m_attempt = 0; // tells the fetch state read for an earlier start apart
};
