#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of reading in a feed window: the filter, marking items read and unread.
QList<QPair<QString, QString>> readingTexts()
{
    return {
    };
}

} // namespace DefaultTexts
