#include "i18n/DefaultTexts.h"
#include "util/MessageKeys.h"

namespace DefaultTexts
{

// The messages of reading in a feed window: the filter, marking items read and unread.
QList<QPair<QString, QString>> readingTexts()
{
    return {
        {Msg::READ_FILTER, QStringLiteral("Filter by title or description")},
    };
}

} // namespace DefaultTexts
