#pragma once

#include <QList>
#include <QObject>

class Catalogue;
class FeedTabs;
class QAction;
class QLabel;
class QTimer;
class ScheduledCheck;

// The main window's timer of scheduled checks, tmrSchedule: armed from the
// scheduler settings, held off while a check runs, and the checks it and
// "Check All Feeds" start, with their state in the status bar.
class ScheduleTimer : public QObject
{
    Q_OBJECT
public:
    // debug: check every minute, whatever the settings say.
    ScheduleTimer(Catalogue *catalogue, FeedTabs *tabs, bool debug, QObject *parent);
    ~ScheduleTimer() override;

    ScheduledCheck *check() const { return m_check; }
    // The commands held off during a run and the panel showing its state.
    void attach(QAction *execute, QAction *checkAll, QLabel *status);

    void EnableSchedule(bool bReadSettings);
    // One scheduled check now, with the timer held off until it ends.
    void runScheduleTick();
    // The open windows refresh themselves; a run checks every other feed.
    void checkAllFeeds();
    // Replaces the "frq" intervals 0..6 and the "-debug" interval (ms).
    void setScheduleIntervals(const QList<int> &intervals, int debugInterval);
    // At unload: a running check ends after its current feed and the timer
    // stays off.
    void shutDown();

signals:
    // A run ended while the window is still up; its new items may be
    // announced.
    void runEnded();

private:
    void setScheduleTimer(bool enabled);
    void onFinished();
    void showStatus(const QString &text);

    Catalogue *m_catalogue;
    FeedTabs *m_tabs;
    QTimer *m_timer;
    ScheduledCheck *m_check;
    QAction *m_execute = nullptr;
    QAction *m_checkAll = nullptr;
    QLabel *m_status = nullptr;
    QList<int> m_intervals {300000, 600000, 900000, 1800000, 2700000, 3600000, 10800000};
    int m_debugInterval = 60000;
    bool m_debug;
    bool m_shutDown = false;
};
