#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of conditional and polite fetching: not modified, retry later, gone, moved.
QList<QPair<QString, QString>> fetchTexts()
{
    return {
        {Msg::FETCH_NONEWITEMS, QStringLiteral("No New Items found!")},
        {Msg::FETCH_RETRYLATER_TITLE, QStringLiteral("Feed Not Fetched!")},
        {Msg::FETCH_RETRYLATER,
            QStringLiteral("Server %1 asked not to be contacted again before %2. The feed was not fetched.")},
        {Msg::FETCH_GONE_TITLE, QStringLiteral("Feed Gone!")},
        {Msg::FETCH_GONE,
            QStringLiteral("Server %1 says this feed is gone for good (HTTP 410). You may want to remove it "
                           "from your feeds.")},
        {Msg::FETCH_MOVED_TITLE, QStringLiteral("Feed Moved!")},
        {Msg::FETCH_MOVED, QStringLiteral("The feed has moved permanently from %1 to %2.")},
        {Msg::FETCH_MOVED_ASK, QStringLiteral("Change the feed's address to the new one?")},
    };
}

} // namespace DefaultTexts
