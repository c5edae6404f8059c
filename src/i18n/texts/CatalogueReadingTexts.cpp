#include "i18n/DefaultTexts.h"

namespace DefaultTexts
{

// The messages of the tree and the main window for reading: unread counts, checking all feeds, restored tabs.
QList<QPair<QString, QString>> catalogueReadingTexts()
{
    return {
    };
}

} // namespace DefaultTexts
