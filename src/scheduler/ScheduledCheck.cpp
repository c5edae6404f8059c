#include "scheduler/ScheduledCheck.h"

#include "config/Settings.h"
#include "feeds/FeedDownload.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedStore.h"
#include "feeds/FetchFailure.h"
#include "util/AppFolder.h"
#include "util/HttpRequest.h"
#include "util/Messages.h"
#include "util/Utilities.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QTimer>

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
    return (rssNotXml ? QStringLiteral("-->Error: ") : ErrorPrefix) + FeedParser::failureText(failure);
}

} // namespace

// The downloads of one run: sent in the stored order, at most `parallel`
// outstanding at a time, each with its own time-out, so that the feeds can
// be worked through one after another while the later ones are on their way.
class FetchQueue
{
public:
    enum class State { Waiting, Sent, Offline, Complete, TimedOut };

    FetchQueue(const QList<FeedRecord> &feeds, int parallel, int timeout)
        : m_fetches(size_t(feeds.size())), m_parallel(qMax(1, parallel)), m_timeout(timeout)
    {
        for (qsizetype i = 0; i < feeds.size(); ++i)
            m_fetches[size_t(i)].url = feeds.at(i).FeedURL;
        dispatch();
    }

    State state(int index) const { return m_fetches[size_t(index)].state; }
    const HttpRequest &request(int index) const { return *m_fetches[size_t(index)].request; }
    bool cancelled() const { return m_cancelled; }

    // Waits until the download of index is over; false when the run was
    // cancelled meanwhile.
    bool waitFor(int index)
    {
        if (state(index) == State::Sent && !m_cancelled) {
            QEventLoop loop;
            m_loop = &loop;
            m_awaited = index;
            loop.exec();
            m_loop = nullptr;
            m_awaited = -1;
        }
        return !m_cancelled;
    }

    // Frees a response once it has been worked on, and its place for the
    // next download.
    void release(int index)
    {
        Fetch &fetch = m_fetches[size_t(index)];
        fetch.request.reset();
        if (fetch.holdsSlot) {
            fetch.holdsSlot = false;
            --m_held;
            dispatch();
        }
    }

    void cancel()
    {
        m_cancelled = true;
        for (Fetch &fetch : m_fetches) {
            if (fetch.request)
                fetch.request->abort();
        }
        if (m_loop)
            m_loop->quit();
    }

private:
    struct Fetch {
        QString url;
        std::unique_ptr<HttpRequest> request;
        State state = State::Waiting;
        bool holdsSlot = false;
    };

    // A download holds its place from its request until its response has
    // been worked on, so no more than `parallel` responses are ever held.
    void dispatch()
    {
        while (!m_cancelled && m_held < m_parallel && m_next < int(m_fetches.size()))
            start(m_next++);
    }

    void start(int index)
    {
        Fetch &fetch = m_fetches[size_t(index)];
        mUtil::ClearUrlCache(fetch.url);
        if (!mUtil::IsConnected()) {
            fetch.state = State::Offline;
            return;
        }
        fetch.request = std::make_unique<HttpRequest>();
        HttpRequest *request = fetch.request.get();
        QObject::connect(
            request, &HttpRequest::done, request, [this, index] { finish(index, State::Complete); });
        QTimer::singleShot(m_timeout, request, [this, index] { finish(index, State::TimedOut); });
        fetch.state = State::Sent;
        fetch.holdsSlot = true;
        ++m_held;
        FeedDownload::sendRequest(*request, fetch.url);
    }

    void finish(int index, State state)
    {
        Fetch &fetch = m_fetches[size_t(index)];
        if (fetch.state != State::Sent)
            return;
        fetch.state = state;
        if (state == State::TimedOut)
            fetch.request->abort();
        if (m_loop && m_awaited == index)
            m_loop->quit();
    }

    std::vector<Fetch> m_fetches;
    int m_parallel;
    int m_timeout;
    int m_next = 0;
    int m_held = 0;
    QEventLoop *m_loop = nullptr;
    int m_awaited = -1;
    bool m_cancelled = false;
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
        lines << QStringLiteral("%1 -- %2 New Items").arg(entry.caption).arg(entry.count);
    return lines;
}

void ScheduledCheck::RunScheduledCheck()
{
    if (m_running)
        return;
    m_running = true;
    WriteScheduleLog(QString(), true, false);
    const QList<FeedRecord> feeds = LoadScheduledFeeds();
    if (feeds.isEmpty()) {
        WriteScheduleLog(
            QStringLiteral("No Feed Sources found Configured for Schduled check!"), false, false);
        WriteScheduleLog(QString(), false, true);
        m_running = false;
        return;
    }
    m_results.clear();
    m_continueRun = true;
    const QPointer<ScheduledCheck> self(this);
    CheckFeeds(feeds);
    if (!self)
        return;
    WriteScheduleLog(QString(), false, true);
    ShowNewItemsNotification();
    m_continueRun = false;
    m_running = false;
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

void ScheduledCheck::CheckFeeds(const QList<FeedRecord> &feeds)
{
    const QPointer<ScheduledCheck> self(this);
    FetchQueue queue(feeds, m_parallel, m_timeout);
    m_queue = &queue;
    for (int i = 0; i < feeds.size() && m_continueRun; ++i) {
        const FeedRecord &feed = feeds.at(i);
        WriteScheduleLog(QStringLiteral("Checking ") + feed.FeedCaption, false, false);
        const bool fetched = FetchFeedContent(queue, i);
        if (!self)
            return;
        if (fetched)
            ParseAndMerge(feed, queue, i);
        queue.release(i);
        WriteScheduleLog(QStringLiteral("\r\n"), false, false);
    }
    m_queue = nullptr;
}

// Touches nothing of this object after the wait when the run was cancelled
// (the object is being deleted).
bool ScheduledCheck::FetchFeedContent(FetchQueue &queue, int index)
{
    if (queue.state(index) == FetchQueue::State::Offline) {
        WriteScheduleLog(ErrorPrefix
                + QStringLiteral("Application failed to access Internet. Either machine is not "
                                 "connected to Internet or Firewall blocked application."),
            false, false);
        return false;
    }
    WriteScheduleLog(QStringLiteral("    Sending Request to Source Server ..."), false, false);
    WriteScheduleLog(QStringLiteral("    Request Sent, Waiting for Server Response ..."), false, false);
    if (!queue.waitFor(index))
        return false;
    if (queue.state(index) == FetchQueue::State::TimedOut) {
        WriteScheduleLog(ErrorPrefix
                + QStringLiteral(
                    "Server did not respond in timely manner. Application failed to fetch Feed Data!"),
            false, false);
        return false;
    }
    if (const std::optional<FetchFailure> failure = FetchFailure::of(queue.request(index))) {
        WriteScheduleLog(ErrorPrefix + failure->text, false, false);
        return false;
    }
    return true;
}

void ScheduledCheck::ParseAndMerge(const FeedRecord &feed, const FetchQueue &queue, int index)
{
    WriteScheduleLog(QStringLiteral("    Parsing Feed content ..."), false, false);
    try {
        const HttpRequest &response = queue.request(index);
        const FeedParser::Result parsed
            = FeedParser::parseByType(feed.FeedType, response.responseBytes(), response.charset());
        if (parsed.failure != FeedParser::Failure::None)
            WriteScheduleLog(failureRecord(feed.FeedType, parsed.failure), false, false);
        else if (parsed.count > 0)
            MergeNewItems(feed, parsed.items);
    } catch (const std::exception &error) {
        WriteScheduleLog(ErrorPrefix + QString::fromLocal8Bit(error.what()), false, false);
    } catch (...) {
        WriteScheduleLog(
            ErrorPrefix + QStringLiteral("Unexpected failure while checking the feed."), false, false);
    }
    WriteScheduleLog(QStringLiteral("    Done!"), false, false);
}

void ScheduledCheck::MergeNewItems(const FeedRecord &feed, const FeedEntries &items)
{
    const FeedStore::MergeResult merged = FeedStore(feed.FeedID).UpdateItems(items);
    if (!merged.ok) {
        WriteScheduleLog(ErrorPrefix + merged.error, false, false);
    } else if (merged.added == 0) {
        WriteScheduleLog(QStringLiteral("    No New Items found!"), false, false);
    } else {
        m_results.append({feed.FeedCaption, merged.added});
        WriteScheduleLog(QStringLiteral("    %1 New Items found!").arg(merged.added), false, false);
    }
}

void ScheduledCheck::ShowNewItemsNotification()
{
    if (m_results.isEmpty() || m_settings.Alert != 1)
        return;
    emit notificationRequested(notificationLines(), m_settings.Sound == 1, m_settings.SoundFile);
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
