#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of reading in a feed window: the filter, marking items read and unread.
QList<QPair<QString, QString>> readingTexts()
{
    return {
        {QStringLiteral("MSG_READ_FILTER"), QStringLiteral("Filter by title or description")},
    };
}

} // namespace DefaultTexts
