#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of the scheduler settings dialog and the notification pop-up.
QList<QPair<QString, QString>> schedulerDialogTexts()
{
    return {
        // The scheduler settings dialog.
        {Msg::SCHEDULER_INLIST_TITLE, QStringLiteral("Source already in Schedule List!")},
        {Msg::SCHEDULER_INLIST, QStringLiteral("Selected Source is already added to the Schedule List.")},
        {Msg::SCHEDULER_REMOVE_TITLE, QStringLiteral("Remove from Schedule List?")},
        {Msg::SCHEDULER_REMOVE, QStringLiteral("Are you sure you want to Remove \"%1\" from Schedule List?")},
        {Msg::SCHEDULER_DISABLE_TITLE, QStringLiteral("Disable Scheduler?")},
        {Msg::SCHEDULER_DISABLE, QStringLiteral("You've selected to Disable Scheduler. Continue?")},
        {Msg::SCHEDULER_NOSOURCES_TITLE, QStringLiteral("No Sources Selected!")},
        {Msg::SCHEDULER_NOSOURCES,
            QStringLiteral(
                "You've enabled Scheduler, but no Feed Sources are configured for Scheduled check.")},
        {Msg::SCHEDULER_FREQUENCY_TITLE, QStringLiteral("Execution Frequency?")},
        {Msg::SCHEDULER_FREQUENCY, QStringLiteral("Please set Schedule Execution Interval.")},
        // The tray's announcement of new items, where the desktop shows one.
        {Msg::NOTIFY_TRAYTITLE, QStringLiteral("New Feed Items Found!!!")},
    };
}

} // namespace DefaultTexts
