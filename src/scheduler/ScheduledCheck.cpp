#include "scheduler/ScheduledCheck.h"

#include "feeds/FeedDownload.h"
#include "feeds/FeedFile.h"
#include "feeds/FetchFailure.h"
#include "feeds/PoliteFetch.h"
#include "scheduler/FetchQueue.h"
#include "util/AppFolder.h"
#include "util/HttpRequest.h"
#include "util/Log.h"
#include "util/MessageKeys.h"
#include "util/Utilities.h"
#include "util/Worker.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <QUrl>

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

} // namespace

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
    startRun(loadScheduledFeeds());
}

void ScheduledCheck::runCheckOf(const QList<FeedRecord> &feeds)
{
    if (m_running)
        return;
    m_running = true;
    WriteScheduleLog(QString(), true, false);
    // The settings still give the sound of the announcement.
    m_settings = mSettings::readSchedulerSettings(mSettings::configFile(), AppFolder::path(), false);
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

QList<FeedRecord> ScheduledCheck::loadScheduledFeeds()
{
    QString problem;
    m_settings = mSettings::readSchedulerSettings(mSettings::configFile(), AppFolder::path(), true, &problem);
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
    qCDebug(lcSchedule) << "checking" << m_feeds.at(m_current).FeedID << m_feeds.at(m_current).FeedURL;
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
    if (m_queue->state(index) != FetchQueue::State::Offline && m_queue->download(index).sent()) {
        WriteScheduleLog(QStringLiteral("    Sending Request to Source Server ..."), false, false);
        WriteScheduleLog(QStringLiteral("    Request Sent, Waiting for Server Response ..."), false, false);
    }
    if (FetchFeedContent(index))
        parseAndMerge(index);
    else
        feedDone(index);
}

// The outcome of a feed's download, logged as the feed window shows it;
// true when there is a document to parse.
bool ScheduledCheck::FetchFeedContent(int index)
{
    if (m_queue->state(index) == FetchQueue::State::Offline) {
        WriteScheduleLog(ErrorPrefix
                + QStringLiteral("Application failed to access Internet. Either machine is not "
                                 "connected to Internet or Firewall blocked application."),
            false, false);
        return false;
    }
    const FeedDownload &download = m_queue->download(index);
    const QString indent = QStringLiteral("    ");
    const QUrl movedTo = download.answer().movedTo;
    if (!movedTo.isEmpty())
        WriteScheduleLog(
            indent + PoliteFetch::movedText(QUrl(download.FeedURL.trimmed()), movedTo, DefaultTexts::english),
            false, false);
    switch (m_queue->outcome(index)) {
    case FeedDownload::Outcome::Complete:
        return true;
    case FeedDownload::Outcome::TimedOut:
        WriteScheduleLog(ErrorPrefix + DefaultTexts::english(Msg::TIMEOUT), false, false);
        break;
    case FeedDownload::Outcome::Failed:
        WriteScheduleLog(ErrorPrefix + download.failure(DefaultTexts::english)->text, false, false);
        break;
    case FeedDownload::Outcome::NotModified:
        WriteScheduleLog(indent + PoliteFetch::notModifiedText(DefaultTexts::english), false, false);
        WriteScheduleLog(QStringLiteral("    Done!"), false, false);
        break;
    case FeedDownload::Outcome::Deferred:
        WriteScheduleLog(indent
                + PoliteFetch::retryLaterText(
                    download.host(), download.answer().retryAt, DefaultTexts::english),
            false, false);
        break;
    case FeedDownload::Outcome::Gone:
        WriteScheduleLog(
            ErrorPrefix + PoliteFetch::goneText(download.host(), DefaultTexts::english), false, false);
        break;
    case FeedDownload::Outcome::Abandoned:
        break;
    }
    return false;
}

// Parsed on a worker; the response's memory goes back to the queue first.
void ScheduledCheck::parseAndMerge(int index)
{
    WriteScheduleLog(QStringLiteral("    Parsing Feed content ..."), false, false);
    const FeedDownload &download = m_queue->download(index);
    Worker::run(
        this,
        [type = m_feeds.at(index).FeedType, data = download.FeedData, charset = download.feedCharset] {
            int corrected = -1;
            FeedParser::Result parsed = FeedParser::parseCorrecting(type, data, charset, &corrected);
            qCDebug(lcParse) << data.size() << "bytes," << parsed.count << "entries, failure"
                             << int(parsed.failure);
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
            ->merge(parsed.items, m_queue->download(index).feedValidators, this,
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
