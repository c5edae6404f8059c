#pragma once

#include "catalogue/FeedRecord.h"
#include "config/Settings.h"
#include "feeds/FeedEntries.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

struct FeedItem;
class FetchQueue;

// One feed that had new items in a run.
struct NewItemsCount {
    QString caption;
    int count = 0;
};

// The background check of the scheduled feeds: fetches them (up to eight at
// a time), parses, merges and logs each in the stored order, and collects
// the feeds that had new items. Never shows a message box.
class ScheduledCheck : public QObject
{
    Q_OBJECT
public:
    explicit ScheduledCheck(QObject *parent = nullptr);
    ~ScheduledCheck() override;

    // One run over the "schdl" feeds. Returns when the run is over (or when
    // this object is deleted during it).
    void RunScheduledCheck();
    // Appends one record to schedule.log (isStart / isEnd give the run's
    // start and end records; text is ignored for those).
    void WriteScheduleLog(const QString &text, bool isStart, bool isEnd);

    // Stops a run before its next feed.
    void stop() { m_continueRun = false; }
    bool ContinueRun() const { return m_continueRun; }
    bool isRunning() const { return m_running; }

    // The feeds with new items of the last run, in run order.
    const QList<NewItemsCount> &results() const { return m_results; }
    // "Tech News -- 3 New Items", one line per feed of the last run.
    QStringList notificationLines() const;

    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    void setParallelDownloads(int count) { m_parallel = count; }

signals:
    // After a run that found new items, when "alr" is 1: the pop-up's lines
    // and whether (and what) to play.
    void notificationRequested(const QStringList &lines, bool playSound, const QString &soundFile);

private:
    QList<FeedRecord> LoadScheduledFeeds();
    void CheckFeeds(const QList<FeedRecord> &feeds);
    bool FetchFeedContent(FetchQueue &queue, int index);
    void ParseAndMerge(const FeedRecord &feed, const FetchQueue &queue, int index);
    void MergeNewItems(const FeedRecord &feed, const FeedEntries &items);
    void ShowNewItemsNotification();
    bool appendToLog(const QString &record);

    bool m_continueRun = false;
    bool m_running = false;
    int m_timeout = 10000;
    int m_parallel = 8;
    QList<NewItemsCount> m_results;
    mSettings::SchedulerSettings m_settings; // as the run read them
    FetchQueue *m_queue = nullptr; // the downloads of the run in progress
    QString m_lostLogRecord; // why a record could not be written
};
