#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of conditional and polite fetching: not modified, retry later, gone, moved.
QList<QPair<QString, QString>> fetchTexts()
{
    return {
        {QStringLiteral("MSG_FETCH_NONEWITEMS"), QStringLiteral("No New Items found!")},
        {QStringLiteral("MSG_FETCH_RETRYLATER_TITLE"), QStringLiteral("Feed Not Fetched!")},
        {QStringLiteral("MSG_FETCH_RETRYLATER"),
            QStringLiteral("Server %1 asked not to be contacted again before %2. The feed was not fetched.")},
        {QStringLiteral("MSG_FETCH_GONE_TITLE"), QStringLiteral("Feed Gone!")},
        {QStringLiteral("MSG_FETCH_GONE"),
            QStringLiteral("Server %1 says this feed is gone for good (HTTP 410). You may want to remove it "
                           "from your feeds.")},
        {QStringLiteral("MSG_FETCH_MOVED_TITLE"), QStringLiteral("Feed Moved!")},
        {QStringLiteral("MSG_FETCH_MOVED"), QStringLiteral("The feed has moved permanently from %1 to %2.")},
        {QStringLiteral("MSG_FETCH_MOVED_ASK"), QStringLiteral("Change the feed's address to the new one?")},
    };
}

} // namespace DefaultTexts
