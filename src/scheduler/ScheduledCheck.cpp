#include "scheduler/ScheduledCheck.h"

#include "feeds/FeedDownload.h"
#include "feeds/FeedFile.h"
#include "feeds/FetchFailure.h"
#include "feeds/PoliteFetch.h"
#include "util/AppFolder.h"
#include "util/HttpRequest.h"
#include "util/Utilities.h"
#include "util/Worker.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

namespace
{

const QString ErrorPrefix = QStringLiteral("--> Error: ");
constexpr qint64 LogLimitBytes = 512000;

QString now()
{
    return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
}

// The not-XML record of the RSS rule has always been written without the
// blank; the log keeps its shape.
QString failureRecord(int feedType, FeedParser::Failure failure)
{
    const bool rssNotXml = failure == FeedParser::Failure::NotXml && feedType != 1;
    return (rssNotXml ? QStringLiteral("-->Error: ") : ErrorPrefix)
        + FeedParser::failureText(failure, DefaultTexts::english);
}

// The server a feed is fetched from, as the network layer counts its
// connections.
QString serverOf(const QString &url)
{
    const QUrl parsed(url.trimmed());
    return parsed.scheme().toLower() + QLatin1Char('/') + parsed.host().toLower() + QLatin1Char(':')
        + QString::number(parsed.port(-1));
}

QString hostOf(const QString &url)
{
    const QUrl parsed(url.trimmed());
    return parsed.host().isEmpty() ? url : parsed.host();
}

} // namespace

// The downloads of one run: sent in the stored order as places free up, at
// most `parallel` held at a time and `perServer` to one server, each with
// its own time-out. A download holds its place until its response has been
// worked on, so no more than `parallel` responses are ever in memory. Each
// request first reads its feed's fetch state: it carries the validators,
// and a feed whose server asked for a pause is not fetched (Deferred).
class FetchQueue
{
public:
    enum class State { Waiting, Sent, Offline, Deferred, Complete, TimedOut };

    FetchQueue(QObject *context, const QList<FeedRecord> &feeds, int parallel, int perServer, int timeout,
        std::function<void(int)> fetched)
        : m_context(context),
          m_alive(std::make_shared<int>()),
          m_fetches(size_t(feeds.size())),
          m_parallel(qMax(1, parallel)),
          m_perServer(qMax(1, perServer)),
          m_timeout(timeout),
          m_fetched(std::move(fetched))
    {
        for (qsizetype i = 0; i < feeds.size(); ++i) {
            m_fetches[size_t(i)].url = feeds.at(i).FeedURL;
            m_fetches[size_t(i)].feedId = feeds.at(i).FeedID;
            m_fetches[size_t(i)].server = serverOf(feeds.at(i).FeedURL);
        }
    }

    State state(int index) const { return m_fetches[size_t(index)].state; }
    bool isOver(int index) const { return state(index) != State::Waiting && state(index) != State::Sent; }
    const HttpRequest &request(int index) const { return *m_fetches[size_t(index)].request; }
    // The end of the pause of a Deferred feed.
    QDateTime notBefore(int index) const { return m_fetches[size_t(index)].notBefore; }

    // Sends what may be sent now.
    void dispatch()
    {
        for (int i = m_next; i < int(m_fetches.size()) && m_held < m_parallel; ++i) {
            Fetch &fetch = m_fetches[size_t(i)];
            if (fetch.state != State::Waiting || m_perServerHeld.value(fetch.server) >= m_perServer)
                continue;
            start(i);
        }
        while (m_next < int(m_fetches.size()) && m_fetches[size_t(m_next)].state != State::Waiting)
            ++m_next;
    }

    // Frees a response once it has been worked on, and its place.
    void release(int index)
    {
        Fetch &fetch = m_fetches[size_t(index)];
        fetch.request.reset();
        if (fetch.holdsPlace) {
            fetch.holdsPlace = false;
            --m_held;
            --m_perServerHeld[fetch.server];
            dispatch();
        }
    }

    void cancel()
    {
        for (Fetch &fetch : m_fetches) {
            if (fetch.request)
                fetch.request->abort();
            fetch.timer.reset();
        }
        m_alive.reset();
    }

private:
    struct Fetch {
        QString url;
        QString feedId;
        QString server;
        QDateTime notBefore;
        std::unique_ptr<HttpRequest> request;
        std::unique_ptr<QTimer> timer;
        State state = State::Waiting;
        bool holdsPlace = false;
    };

    void start(int index)
    {
        Fetch &fetch = m_fetches[size_t(index)];
        mUtil::ClearUrlCache(fetch.url);
        if (!mUtil::IsConnected()) {
            fetch.state = State::Offline;
            tell(index);
            return;
        }
        fetch.request = std::make_unique<HttpRequest>();
        QObject::connect(fetch.request.get(), &HttpRequest::done, fetch.request.get(),
            [this, index] { finish(index, State::Complete); });
        fetch.timer = std::make_unique<QTimer>();
        fetch.timer->setSingleShot(true);
        QObject::connect(fetch.timer.get(), &QTimer::timeout, fetch.timer.get(),
            [this, index] { finish(index, State::TimedOut); });
        fetch.timer->start(m_timeout);
        fetch.state = State::Sent;
        fetch.holdsPlace = true;
        ++m_held;
        ++m_perServerHeld[fetch.server];
        FeedFile::open(fetch.feedId)
            ->readFetchState(
                m_context, [this, index, alive = std::weak_ptr<int>(m_alive)](const FetchState &state) {
                    if (alive.lock())
                        send(index, state);
                });
    }

    void send(int index, const FetchState &state)
    {
        Fetch &fetch = m_fetches[size_t(index)];
        if (fetch.state != State::Sent)
            return;
        if (PoliteFetch::isDeferred(state, QDateTime::currentDateTimeUtc())) {
            fetch.notBefore = state.notBefore;
            finish(index, State::Deferred);
            return;
        }
        FeedDownload::sendRequest(*fetch.request, fetch.url, state);
    }

    void finish(int index, State state)
    {
        Fetch &fetch = m_fetches[size_t(index)];
        if (fetch.state != State::Sent)
            return;
        fetch.state = state;
        fetch.timer.reset();
        if (state != State::Complete)
            fetch.request->abort();
        tell(index);
    }

    // Told from the event loop, never from inside a dispatch, and only while
    // the queue has not been cancelled.
    void tell(int index)
    {
        QTimer::singleShot(0, m_context, [alive = std::weak_ptr<int>(m_alive), fetched = m_fetched, index] {
            if (alive.lock())
                fetched(index);
        });
    }

    QObject *m_context;
    std::shared_ptr<int> m_alive;
    std::vector<Fetch> m_fetches;
    int m_parallel;
    int m_perServer;
    int m_timeout;
    std::function<void(int)> m_fetched;
    int m_next = 0;
    int m_held = 0;
    QHash<QString, int> m_perServerHeld;
};

ScheduledCheck::ScheduledCheck(QObject *parent) : QObject(parent)
{
}

ScheduledCheck::~ScheduledCheck()
{
    if (m_queue)
        m_queue->cancel();
}

QStringList ScheduledCheck::notificationLines() const
{
    QStringList lines;
    for (const NewItemsCount &entry : m_results)
        lines << notificationLine(entry);
    return lines;
}

QString ScheduledCheck::notificationLine(const NewItemsCount &entry)
{
    return entry.caption + QStringLiteral(" -- ") + QString::number(entry.count)
        + QStringLiteral(" New Items");
}

std::optional<NewItemsNotification> ScheduledCheck::notification() const
{
    if (m_results.isEmpty() || (m_settings.Alert != 1 && !m_announceAlways))
        return std::nullopt;
    return NewItemsNotification {m_results, m_settings.Sound == 1, m_settings.SoundFile};
}

void ScheduledCheck::stop()
{
    m_continueRun = false;
}

void ScheduledCheck::RunScheduledCheck()
{
    if (m_running)
        return;
    m_running = true;
    m_announceAlways = false;
    WriteScheduleLog(QString(), true, false);
    startRun(LoadScheduledFeeds());
}

void ScheduledCheck::RunCheckOf(const QList<FeedRecord> &feeds)
{
    if (m_running)
        return;
    m_running = true;
    WriteScheduleLog(QString(), true, false);
    // The settings still give the sound of the announcement.
    m_settings = mSettings::ReadSchedulerSettings(mSettings::configFile(), AppFolder::path(), false);
    m_announceAlways = true;
    startRun(feeds);
}

void ScheduledCheck::startRun(const QList<FeedRecord> &feeds)
{
    m_feeds = feeds;
    m_done = 0;
    if (m_feeds.isEmpty()) {
        WriteScheduleLog(
            QStringLiteral("No Feed Sources found Configured for Schduled check!"), false, false);
        WriteScheduleLog(QString(), false, true);
        m_running = false;
        QTimer::singleShot(0, this, &ScheduledCheck::finished);
        return;
    }
    m_results.clear();
    m_continueRun = true;
    m_current = -1;
    m_working = false;
    m_queue = std::make_unique<FetchQueue>(
        this, m_feeds, m_parallel, m_perServer, m_timeout, [this](int index) { onFetched(index); });
    m_queue->dispatch();
    nextFeed();
}

QList<FeedRecord> ScheduledCheck::LoadScheduledFeeds()
{
    QString problem;
    m_settings = mSettings::ReadSchedulerSettings(mSettings::configFile(), AppFolder::path(), true, &problem);
    if (!problem.isEmpty())
        WriteScheduleLog(
            ErrorPrefix + QStringLiteral("LoadSchedulerSettings Function: Error on Line 0 ") + problem, false,
            false);
    return m_settings.Feeds;
}

void ScheduledCheck::nextFeed()
{
    ++m_current;
    if (m_current >= m_feeds.size() || !m_continueRun) {
        endRun();
        return;
    }
    WriteScheduleLog(QStringLiteral("Checking ") + m_feeds.at(m_current).FeedCaption, false, false);
    if (m_queue->isOver(m_current))
        onFetched(m_current);
}

// A download is over; it is worked on when its feed's turn has come.
void ScheduledCheck::onFetched(int index)
{
    // The feed's turn may come before the news of its download does, or the
    // other way round: it is worked on once.
    if (index != m_current || !m_queue || m_working)
        return;
    m_working = true;
    // Written once the feed is worked on: only then is it known whether a
    // request went out at all.
    const FetchQueue::State state = m_queue->state(index);
    if (state != FetchQueue::State::Offline && state != FetchQueue::State::Deferred) {
        WriteScheduleLog(QStringLiteral("    Sending Request to Source Server ..."), false, false);
        WriteScheduleLog(QStringLiteral("    Request Sent, Waiting for Server Response ..."), false, false);
    }
    if (FetchFeedContent(index))
        ParseAndMerge(index);
    else
        feedDone(index);
}

bool ScheduledCheck::FetchFeedContent(int index)
{
    switch (m_queue->state(index)) {
    case FetchQueue::State::Offline:
        WriteScheduleLog(ErrorPrefix
                + QStringLiteral("Application failed to access Internet. Either machine is not "
                                 "connected to Internet or Firewall blocked application."),
            false, false);
        return false;
    case FetchQueue::State::TimedOut:
        WriteScheduleLog(ErrorPrefix + DefaultTexts::english(QStringLiteral("MSG_TIMEOUT")), false, false);
        return false;
    case FetchQueue::State::Deferred:
        WriteScheduleLog(QStringLiteral("    ")
                + PoliteFetch::retryLaterText(
                    hostOf(m_feeds.at(index).FeedURL), m_queue->notBefore(index), DefaultTexts::english),
            false, false);
        return false;
    default:
        break;
    }
    if (!politeAnswer(index))
        return false;
    if (const std::optional<FetchFailure> failure
        = FetchFailure::of(m_queue->request(index), DefaultTexts::english)) {
        WriteScheduleLog(ErrorPrefix + failure->text, false, false);
        return false;
    }
    return true;
}

// The answers that bring nothing to parse are logged and end the feed
// (false); a permanent move is logged and the response parsed.
bool ScheduledCheck::politeAnswer(int index)
{
    const HttpRequest &response = m_queue->request(index);
    m_answer = PoliteFetch::classify(response, QDateTime::currentDateTimeUtc());
    const QString host = hostOf(m_feeds.at(index).FeedURL);
    if (!m_answer.movedTo.isEmpty())
        WriteScheduleLog(QStringLiteral("    ")
                + PoliteFetch::movedText(
                    QUrl(m_feeds.at(index).FeedURL.trimmed()), m_answer.movedTo, DefaultTexts::english),
            false, false);
    switch (m_answer.kind) {
    case PoliteFetch::Answer::Kind::NotModified:
        WriteScheduleLog(
            QStringLiteral("    ") + PoliteFetch::notModifiedText(DefaultTexts::english), false, false);
        WriteScheduleLog(QStringLiteral("    Done!"), false, false);
        return false;
    case PoliteFetch::Answer::Kind::RetryLater:
        FeedFile::open(m_feeds.at(index).FeedID)
            ->deferFetch(m_answer.retryAt, this, [](const FeedFile::Saved &) {});
        WriteScheduleLog(QStringLiteral("    ")
                + PoliteFetch::retryLaterText(host, m_answer.retryAt, DefaultTexts::english),
            false, false);
        return false;
    case PoliteFetch::Answer::Kind::Gone:
        WriteScheduleLog(ErrorPrefix + PoliteFetch::goneText(host, DefaultTexts::english), false, false);
        return false;
    case PoliteFetch::Answer::Kind::Normal:
        break;
    }
    return true;
}

// Parsed on a worker; the response's memory goes back to the queue first.
void ScheduledCheck::ParseAndMerge(int index)
{
    WriteScheduleLog(QStringLiteral("    Parsing Feed content ..."), false, false);
    const HttpRequest &response = m_queue->request(index);
    Worker::run(
        this,
        [type = m_feeds.at(index).FeedType, data = response.responseBytes(), charset = response.charset()] {
            int corrected = -1;
            FeedParser::Result parsed = FeedParser::parseCorrecting(type, data, charset, &corrected);
            return std::make_pair(std::move(parsed), corrected);
        },
        [this, index](const std::pair<FeedParser::Result, int> &parsed) {
            if (parsed.second >= 0) {
                m_feeds[index].FeedType = qint16(parsed.second);
                emit feedTypeFound(m_feeds.at(index).FeedID, parsed.second);
            }
            MergeNewItems(index, parsed.first);
        });
}

void ScheduledCheck::MergeNewItems(int index, const FeedParser::Result &parsed)
{
    const FeedRecord &feed = m_feeds.at(index);
    if (parsed.failure != FeedParser::Failure::None) {
        WriteScheduleLog(failureRecord(feed.FeedType, parsed.failure), false, false);
    } else if (parsed.count > 0) {
        FeedFile::open(feed.FeedID)
            ->merge(parsed.items, m_answer.validators, this,
                [this, index](const FeedStore::MergeResult &merged) { onMerged(index, merged); });
        return;
    }
    WriteScheduleLog(QStringLiteral("    Done!"), false, false);
    feedDone(index);
}

void ScheduledCheck::onMerged(int index, const FeedStore::MergeResult &merged)
{
    const FeedRecord &feed = m_feeds.at(index);
    if (!merged.ok) {
        WriteScheduleLog(ErrorPrefix + merged.error, false, false);
    } else if (merged.added == 0) {
        WriteScheduleLog(
            QStringLiteral("    ") + PoliteFetch::notModifiedText(DefaultTexts::english), false, false);
    } else {
        m_results.append({feed.FeedCaption, merged.added, feed.FeedID});
        WriteScheduleLog(QStringLiteral("    %1 New Items found!").arg(merged.added), false, false);
    }
    WriteScheduleLog(QStringLiteral("    Done!"), false, false);
    feedDone(index);
}

void ScheduledCheck::feedDone(int index)
{
    m_working = false;
    m_queue->release(index);
    WriteScheduleLog(QStringLiteral("\r\n"), false, false);
    emit progress(++m_done, int(m_feeds.size()));
    nextFeed();
}

void ScheduledCheck::endRun()
{
    m_queue->cancel();
    m_queue.reset();
    WriteScheduleLog(QString(), false, true);
    ShowNewItemsNotification();
    m_continueRun = false;
    m_running = false;
    emit finished();
}

void ScheduledCheck::ShowNewItemsNotification()
{
    if (const std::optional<NewItemsNotification> note = notification())
        emit notificationRequested(notificationLines(), note->playSound, note->soundFile);
}

void ScheduledCheck::WriteScheduleLog(const QString &text, bool isStart, bool isEnd)
{
    QString record = text;
    if (isStart)
        record = QString(70, QLatin1Char('=')) + QStringLiteral("\r\nScheduled Check Started (") + now()
            + QStringLiteral(")\r\n\r\n");
    else if (isEnd)
        record = QStringLiteral("Scheduled Check Finished (") + now() + QStringLiteral(")\r\n");
    // A record that could not be written earlier is told about first.
    if (!m_lostLogRecord.isEmpty() && appendToLog(ErrorPrefix + m_lostLogRecord + QStringLiteral("\r\n")))
        m_lostLogRecord.clear();
    appendToLog(record + QStringLiteral("\r\n"));
}

bool ScheduledCheck::appendToLog(const QString &record)
{
    const QString path = AppFolder::file(QStringLiteral("schedule.log"));
    const QFileInfo info(path);
    if (info.isFile() && info.size() > LogLimitBytes)
        QFile::remove(path);
    QFile file(path);
    const QByteArray bytes = record.toUtf8();
    if (file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(bytes) == bytes.size()
        && file.flush())
        return true;
    if (m_lostLogRecord.isEmpty())
        m_lostLogRecord
            = QStringLiteral("Application failed to write to schedule.log (%1).").arg(file.errorString());
    return false;
}
