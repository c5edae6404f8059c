#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of the tree and the main window for reading: unread counts, checking all feeds, restored tabs.
QList<QPair<QString, QString>> catalogueReadingTexts()
{
    return {
        // The status bar while "Check All Feeds" runs.
        {Msg::CHECKALL_PROGRESS, QStringLiteral("Status: Checking Feeds (%1 of %2)")},
    };
}

} // namespace DefaultTexts
