#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of the scheduler settings dialog and the notification pop-up.
QList<QPair<QString, QString>> schedulerDialogTexts()
{
    return {
        // The scheduler settings dialog.
        {QStringLiteral("MSG_SCHEDULER_INLIST_TITLE"), QStringLiteral("Source already in Schedule List!")},
        {QStringLiteral("MSG_SCHEDULER_INLIST"),
            QStringLiteral("Selected Source is already added to the Schedule List.")},
        {QStringLiteral("MSG_SCHEDULER_REMOVE_TITLE"), QStringLiteral("Remove from Schedule List?")},
        {QStringLiteral("MSG_SCHEDULER_REMOVE"),
            QStringLiteral("Are you sure you want to Remove \"%1\" from Schedule List?")},
        {QStringLiteral("MSG_SCHEDULER_DISABLE_TITLE"), QStringLiteral("Disable Scheduler?")},
        {QStringLiteral("MSG_SCHEDULER_DISABLE"),
            QStringLiteral("You've selected to Disable Scheduler. Continue?")},
        {QStringLiteral("MSG_SCHEDULER_NOSOURCES_TITLE"), QStringLiteral("No Sources Selected!")},
        {QStringLiteral("MSG_SCHEDULER_NOSOURCES"),
            QStringLiteral(
                "You've enabled Scheduler, but no Feed Sources are configured for Scheduled check.")},
        {QStringLiteral("MSG_SCHEDULER_FREQUENCY_TITLE"), QStringLiteral("Execution Frequency?")},
        {QStringLiteral("MSG_SCHEDULER_FREQUENCY"),
            QStringLiteral("Please set Schedule Execution Interval.")},
        // The tray's announcement of new items, where the desktop shows one.
        {QStringLiteral("MSG_NOTIFY_TRAYTITLE"), QStringLiteral("New Feed Items Found!!!")},
    };
}

} // namespace DefaultTexts
