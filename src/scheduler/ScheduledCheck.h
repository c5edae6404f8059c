#pragma once

#include "config/Settings.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedStore.h"
#include "feeds/PoliteFetch.h"
#include "util/FeedRecord.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class FetchQueue;

// One feed that had new items in a run.
struct NewItemsCount {
    QString caption;
    int count = 0;
    QString FeedID;
};

// What the pop-up of a run announces: the feeds with new items in run
// order, and whether (and what) to play.
struct NewItemsNotification {
    QList<NewItemsCount> feeds;
    bool playSound = false;
    QString soundFile;
};

// The background check of the scheduled feeds. A run fetches the feeds
// (up to 16 at a time, at most 6 from one server), parses each on a worker
// and merges it through its data file's owner, and logs every step in the
// stored order of the feeds. Nothing waits: RunScheduledCheck() starts the
// run and finished() ends it. Never shows a message box.
class ScheduledCheck : public QObject
{
    Q_OBJECT
public:
    explicit ScheduledCheck(QObject *parent = nullptr);
    ~ScheduledCheck() override;

    // Starts one run over the "schdl" feeds (nothing when one runs already).
    void RunScheduledCheck();
    // Starts one run over the feeds given ("Check All Feeds"); its new
    // items are announced whatever "alr" says.
    void runCheckOf(const QList<FeedRecord> &feeds);
    // Appends one record to schedule.log (isStart / isEnd give the run's
    // start and end records; text is ignored for those).
    void WriteScheduleLog(const QString &text, bool isStart, bool isEnd);

    // Ends a run after the feed it is working on.
    void stop();
    bool ContinueRun() const { return m_continueRun; }
    bool isRunning() const { return m_running; }

    // The feeds with new items of the last run, in run order.
    const QList<NewItemsCount> &results() const { return m_results; }
    // "Tech News -- 3 New Items", one line per feed of the last run.
    QStringList notificationLines() const;
    static QString notificationLine(const NewItemsCount &entry);
    // The announcement due after the last run: only when it found new items
    // and "alr" is 1.
    std::optional<NewItemsNotification> notification() const;

    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    void setParallelDownloads(int count) { m_parallel = count; }
    void setDownloadsPerServer(int count) { m_perServer = count; }

signals:
    // After a run that found new items, when "alr" is 1: the pop-up's lines
    // and whether (and what) to play.
    void notificationRequested(const QStringList &lines, bool playSound, const QString &soundFile);
    // A run has ended (its end record written).
    void finished();
    // Feeds done of the run's total, after each feed.
    void progress(int done, int total);
    // A feed stored as one type turned out to be of another (0 RSS, 1 Atom).
    void feedTypeFound(const QString &feedId, int feedType);

private:
    QList<FeedRecord> loadScheduledFeeds();
    void startRun(const QList<FeedRecord> &feeds);
    // The feeds are worked on one after another in the stored order.
    void nextFeed();
    void onFetched(int index);
    bool FetchFeedContent(int index);
    void parseAndMerge(int index);
    void MergeNewItems(int index, const FeedParser::Result &parsed);
    void onMerged(int index, const FeedStore::MergeResult &merged);
    void feedDone(int index);
    void endRun();
    void ShowNewItemsNotification();
    bool appendToLog(const QString &record);

    bool m_continueRun = false;
    bool m_running = false;
    bool m_announceAlways = false; // a run over given feeds
    int m_done = 0;
    int m_timeout = 10000;
    int m_parallel = 16;
    int m_perServer = 6;
    QList<FeedRecord> m_feeds;
    int m_current = -1;
    bool m_working = false; // the current feed is being worked on
    QList<NewItemsCount> m_results;
    std::unique_ptr<FetchQueue> m_queue; // the downloads of the run in progress
    mSettings::SchedulerSettings m_settings; // as the run read them
    QString m_logFile;
    QString m_lostLogRecord; // why a record could not be written
};
