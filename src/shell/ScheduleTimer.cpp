#include "shell/ScheduleTimer.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "i18n/Languages.h"
#include "scheduler/ScheduledCheck.h"
#include "shell/FeedTabs.h"
#include "util/MessageKeys.h"
#include "viewer/ui/frmViewFeed.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QSet>
#include <QTimer>

namespace
{

QString now()
{
    return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
}

} // namespace

ScheduleTimer::ScheduleTimer(Catalogue *catalogue, FeedTabs *tabs, bool debug, QObject *parent)
    : QObject(parent),
      m_catalogue(catalogue),
      m_tabs(tabs),
      m_timer(new QTimer(this)),
      m_check(new ScheduledCheck(this)),
      m_debug(debug)
{
    m_timer->setObjectName(QStringLiteral("tmrSchedule"));
    connect(m_timer, &QTimer::timeout, this, &ScheduleTimer::runScheduleTick);
    connect(m_check, &ScheduledCheck::finished, this, &ScheduleTimer::onFinished);
    connect(m_check, &ScheduledCheck::progress, this, [this](int done, int total) {
        if (!m_shutDown)
            showStatus(getMessages(Msg::CHECKALL_PROGRESS).arg(done).arg(total));
    });
    // Saved scheduler settings take effect at once.
    mSettings::setSchedulerSavedHook([this] { EnableSchedule(false); });
}

ScheduleTimer::~ScheduleTimer()
{
    mSettings::setSchedulerSavedHook({});
    m_check->stop();
    m_timer->stop();
}

void ScheduleTimer::attach(QAction *execute, QAction *checkAll, QLabel *status)
{
    m_execute = execute;
    m_checkAll = checkAll;
    m_status = status;
}

void ScheduleTimer::showStatus(const QString &text)
{
    if (m_status)
        m_status->setText(text);
}

void ScheduleTimer::setScheduleIntervals(const QList<int> &intervals, int debugInterval)
{
    m_intervals = intervals;
    m_debugInterval = debugInterval;
}

// Every change of the timer's state goes into schedule.log.
void ScheduleTimer::setScheduleTimer(bool enabled)
{
    if (enabled == m_timer->isActive())
        return;
    if (enabled) {
        m_timer->start();
        m_check->WriteScheduleLog(
            QStringLiteral("\r\n***** Scheduler Timer Started (%1 --- Interval = %2 min) *****")
                .arg(now(), QString::number(m_timer->interval() / 1000.0 / 60.0)),
            false, false);
    } else {
        m_timer->stop();
        m_check->WriteScheduleLog(
            QStringLiteral("\r\n***** Scheduler Timer Paused/Stopped (%1) *****").arg(now()), false, false);
    }
}

void ScheduleTimer::EnableSchedule(bool bReadSettings)
{
    setScheduleTimer(false);
    if (bReadSettings)
        mSettings::LoadSchedulerSettings(false);
    const mSettings::SchedulerSettings &settings = mSettings::scheduler();
    if (settings.Enabled != 1 || m_shutDown)
        return;
    if (m_debug)
        m_timer->setInterval(m_debugInterval);
    else if (settings.Interval >= 0 && settings.Interval < m_intervals.size())
        m_timer->setInterval(m_intervals.at(settings.Interval));
    // An interval never chosen would check without pause.
    if (m_timer->interval() > 0)
        setScheduleTimer(true);
}

void ScheduleTimer::shutDown()
{
    m_shutDown = true;
    m_check->stop();
    setScheduleTimer(false);
}

void ScheduleTimer::runScheduleTick()
{
    if (m_check->isRunning())
        return;
    setScheduleTimer(false);
    m_execute->setEnabled(false);
    showStatus(getMessages(Msg::STATUSEXECUTING));
    m_check->RunScheduledCheck();
}

// "Check All Feeds": the open windows refresh themselves, and a run of the
// scheduled check goes over every other feed of the catalogue, its
// progress in the status bar and its new items in the pop-up.
void ScheduleTimer::checkAllFeeds()
{
    QSet<QString> open;
    for (frmViewFeed *window : m_tabs->feedWindows()) {
        open.insert(window->FeedID());
        if (!window->StillExecuting()) {
            window->setCheckForNewItems(true);
            window->LoadFeedData(false);
        }
    }
    if (m_check->isRunning())
        return;
    QList<FeedRecord> feeds;
    for (const CatalogueCategory &category : m_catalogue->categories()) {
        for (const FeedRecord &feed : category.feeds) {
            if (!open.contains(feed.FeedID))
                feeds << feed;
        }
    }
    setScheduleTimer(false);
    m_execute->setEnabled(false);
    m_checkAll->setEnabled(false);
    showStatus(getMessages(Msg::STATUSEXECUTING));
    m_check->runCheckOf(feeds);
}

// The end of a run: ready again, and the timer comes back only when
// scheduled checking is on.
void ScheduleTimer::onFinished()
{
    if (m_shutDown)
        return;
    showStatus(getMessages(Msg::STATUSREADY));
    emit runEnded();
    m_execute->setEnabled(true);
    m_checkAll->setEnabled(true);
    EnableSchedule(false);
}
