// The main window's scheduler timer.
#include "shell/frmMain.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "i18n/Languages.h"
#include "scheduler/ScheduledCheck.h"
#include "scheduler/ui/frmNotification.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTimer>

namespace
{

QString now()
{
    return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
}

} // namespace

void frmMain::setScheduleIntervals(const QList<int> &intervals, int debugInterval)
{
    m_intervals = intervals;
    m_debugInterval = debugInterval;
}

// Every change of the timer's state goes into schedule.log.
void frmMain::setScheduleTimer(bool enabled)
{
    if (enabled == m_schedule->isActive())
        return;
    if (enabled) {
        m_schedule->start();
        m_check->WriteScheduleLog(
            QStringLiteral("\r\n***** Scheduler Timer Started (%1 --- Interval = %2 min) *****")
                .arg(now(), QString::number(m_schedule->interval() / 1000.0 / 60.0)),
            false, false);
    } else {
        m_schedule->stop();
        m_check->WriteScheduleLog(
            QStringLiteral("\r\n***** Scheduler Timer Paused/Stopped (%1) *****").arg(now()), false, false);
    }
}

void frmMain::EnableSchedule(bool bReadSettings)
{
    setScheduleTimer(false);
    if (bReadSettings)
        mSettings::LoadSchedulerSettings(false);
    const mSettings::SchedulerSettings &settings = mSettings::scheduler();
    if (settings.Enabled != 1 || m_unloaded)
        return;
    if (m_options.debug)
        m_schedule->setInterval(m_debugInterval);
    else if (settings.Interval >= 0 && settings.Interval < m_intervals.size())
        m_schedule->setInterval(m_intervals.at(settings.Interval));
    // An interval never chosen would check without pause.
    if (m_schedule->interval() > 0)
        setScheduleTimer(true);
}

void frmMain::RunScheduleTick()
{
    if (m_check->isRunning())
        return;
    setScheduleTimer(false);
    m_execute->setEnabled(false);
    m_statusPanels[3]->setText(getMessages(QStringLiteral("MSG_STATUSEXECUTING")));
    m_check->RunScheduledCheck();
}

// The end of a run: ready again, and the timer comes back only when
// scheduled checking is on.
void frmMain::onScheduledCheckFinished()
{
    if (m_unloaded)
        return;
    m_statusPanels[3]->setText(getMessages(QStringLiteral("MSG_STATUSREADY")));
    announceNewItems();
    m_execute->setEnabled(true);
    m_checkAll->setEnabled(true);
    EnableSchedule(false);
}

// New items of a scheduled check: the pop-up, whose lines open their feeds,
// and the desktop's notification while the window is in the tray.
void frmMain::announceNewItems()
{
    const auto note = m_check->notification();
    if (!note)
        return;
    frmNotification *popup = frmNotification::announce(*note);
    connect(popup, &frmNotification::feedChosen, this, [this](const QString &feedId) {
        if (const auto feed = m_catalogue->feed(feedId))
            OpenFeed(*feed, false);
    });
    if (m_tray && !isVisible())
        AnnounceInTray(m_tray, m_check->notificationLines());
}
