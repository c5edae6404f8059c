#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// One feed that had new items in a run.
struct NewItemsCount
{
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

    // One run over the "schdl" feeds. Returns when the run is over.
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
    bool m_continueRun = false;
    bool m_running = false;
    int m_timeout = 10000;
    int m_parallel = 8;
    QList<NewItemsCount> m_results;
};
